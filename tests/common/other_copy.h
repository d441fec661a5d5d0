// Another process holding the lock of a folder, as a running copy of the program does: the
// `flock` tool on the folder, running `cat` until the object is destroyed.
#pragma once

#include <QProcess>
#include <QString>

class OtherCopy {
public:
    explicit OtherCopy(const QString& folder) {
        process_.start(QStringLiteral("flock"),
                       {QStringLiteral("-n"), folder, QStringLiteral("cat")});
        // cat runs only once the lock is held: an echo proves it.
        process_.write("held\n");
        while (held_ == false && process_.waitForReadyRead(10000))
            held_ = process_.readAllStandardOutput().contains("held");
    }
    ~OtherCopy() {
        process_.closeWriteChannel();  // cat ends, and flock with it
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

    bool held() const { return held_; }

private:
    QProcess process_;
    bool held_ = false;
};

// Whether a process other than this one could take the lock of `folder` now.
inline bool lockFreeForOthers(const QString& folder) {
    return QProcess::execute(QStringLiteral("flock"),
                             {QStringLiteral("-n"), folder, QStringLiteral("true")}) == 0;
}
