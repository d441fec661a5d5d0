// Stopping a running presence detection: Quit, the window closing or the program ending ask for
// it, and every wait of the walk and of its providers ends at once; the walk then visits nothing
// more. Asked on the window thread, read from any thread.
#pragma once

#include <QObject>
#include <atomic>

class DetectionStop : public QObject {
    Q_OBJECT
public:
    static DetectionStop& instance();

    // At the start of a detection: nothing asked yet.
    void clear() { requested_.store(false); }
    void request();
    bool requested() const { return requested_.load(); }

signals:
    // Emitted on the thread that asked; waits on the window thread end on it.
    void stopRequested();

private:
    std::atomic<bool> requested_{false};
};
