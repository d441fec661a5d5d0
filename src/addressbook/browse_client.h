// The window side of the browse helper (browse_protocol.h): starts pelimo-browse for a
// detection, asks it for one listing at a time and reads its answer with bounds and time limits,
// while the window thread keeps processing its events. A stopped detection, an answer out of
// bounds or a helper that keeps silent past its time ends the helper; the detection's later
// listings then fail at once.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <memory>
#include <vector>

#include "addressbook/browse_protocol.h"

class QProcess;

struct BrowseLimits {
    // One listing: libsmbclient's own time-outs (name look-up, connection, 5 s per request) end
    // a listing of an absent server well before this.
    int listTimeoutMs = 15000;
    // Every listing of one detection.
    int walkTimeoutMs = 30000;
};

class BrowseClient {
public:
    // The helper beside the executable, or where the installation puts it; empty when missing.
    static QString helperProgram();

    explicit BrowseClient(QString program, BrowseLimits limits = {});
    ~BrowseClient();

    // A detection starts: its time limit starts and an earlier helper is gone.
    void begin();
    // The entries of `url` (an smb:// URL); false with the reason when there are none to give.
    bool list(const QString& url, std::vector<SmbEntry>& entries, QString& error);
    // The detection's listings are over: the helper ends.
    void end();

private:
    bool start(QString& error);
    void kill();

    QString program_;
    BrowseLimits limits_;
    std::unique_ptr<QProcess> process_;
    QElapsedTimer walk_;
    bool givenUp_ = false;
};
