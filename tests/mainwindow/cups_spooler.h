// A private CUPS spooler for printing tests: its own configuration in a short temporary folder,
// a Unix socket only, and one queue whose device is a file. Stopped by its PID when destroyed.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class CupsSpooler {
public:
    CupsSpooler();
    ~CupsSpooler();

    // Empty when the spooler runs with its queue; else why it does not.
    const QString& failure() const { return failure_; }

    QString socket() const { return dir_.path() + QStringLiteral("/cups.sock"); }
    QString home() const { return dir_.path() + QStringLiteral("/home"); }
    static QString queue() { return QStringLiteral("Sink"); }

    // Waits until no job is left (bounded); false when one is still there.
    bool waitForJobs(int milliseconds);
    // What the queue's device received.
    QByteArray printed() const;
    QString printedPath() const { return dir_.path() + QStringLiteral("/printed.pdf"); }

private:
    QString lp(const QString& program, const QStringList& arguments, bool* ok) const;

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString failure_;
    mutable QString lastError_;
};
