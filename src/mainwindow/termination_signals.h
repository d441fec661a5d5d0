// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the window thread, so that a program
// asked to end by the system or the session still runs its orderly shutdown.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one instance per process (a second one fails to install).
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return notifier_ != nullptr; }

signals:
    // Emitted once per signal received, on the thread that created this object.
    void terminationRequested(int signalNumber);

private:
    void readPending();

    std::unique_ptr<QSocketNotifier> notifier_;
};
