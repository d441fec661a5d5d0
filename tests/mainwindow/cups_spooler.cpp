#include "cups_spooler.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace {

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

// A printer that takes PDF as it is: the device receives the document unchanged.
constexpr char kPdfPpd[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SINK.PPD"
*Manufacturer: "Test"
*Product: "(Sink)"
*ModelName: "Sink"
*ShortNickName: "Sink"
*NickName: "Sink"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*cupsFilter: "application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";

}  // namespace

CupsSpooler::CupsSpooler() : dir_(QStringLiteral("/tmp/pcups-XXXXXX")) {
    const QString cupsd =
        QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin")});
    if (cupsd.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin")})
            .isEmpty()) {
        failure_ = QStringLiteral("cupsd or lpadmin is not installed");
        return;
    }
    const QString t = dir_.path();
    for (const char* sub : {"spool/tmp", "cache", "log", "state", "ppd", "home"})
        QDir().mkpath(t + u'/' + QString::fromLatin1(sub));
    // Filters run as the lp user when the spooler runs as root.
    QFile::setPermissions(t, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                 QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                 QFileDevice::ExeOther);
    const QString conf = QStringLiteral(
                             "LogLevel warn\nListen %1\nBrowsing No\nBrowseLocalProtocols none\n"
                             "DefaultAuthType None\nWebInterface No\nErrorPolicy abort-job\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n"
                             "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                             "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(socket());
    const QString files =
        QStringLiteral(
            "FileDevice Yes\nServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
            "CacheDir %1/cache\nStateDir %1/state\nAccessLog %1/log/access_log\n"
            "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n")
            .arg(t);
    if (!writeText(t + QStringLiteral("/cupsd.conf"), conf) ||
        !writeText(t + QStringLiteral("/cups-files.conf"), files) ||
        !writeText(t + QStringLiteral("/sink.ppd"), QString::fromLatin1(kPdfPpd))) {
        failure_ = QStringLiteral("the spooler's configuration cannot be written");
        return;
    }
    cupsd_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cupsd_.start(cupsd,
                 {QStringLiteral("-f"), QStringLiteral("-c"), t + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("-s"), t + QStringLiteral("/cups-files.conf")});
    if (!cupsd_.waitForStarted(10000)) {
        failure_ = QStringLiteral("cupsd does not start");
        return;
    }
    bool up = false;
    for (QDeadlineTimer limit(15000); !up && !limit.hasExpired();) {
        lp(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &up);
        if (!up)
            QThread::msleep(50);
    }
    if (!up) {
        failure_ = QStringLiteral("cupsd does not answer on its socket");
        return;
    }
    // A spooler that has just started may still refuse administration for a moment.
    bool added = false;
    for (QDeadlineTimer limit(10000); !added && !limit.hasExpired();) {
        lp(QStringLiteral("lpadmin"),
           {QStringLiteral("-p"), queue(), QStringLiteral("-E"), QStringLiteral("-v"),
            QStringLiteral("file://") + printedPath(), QStringLiteral("-P"),
            t + QStringLiteral("/sink.ppd")},
           &added);
        if (!added)
            QThread::msleep(100);
    }
    bool chosen = false;
    if (added)
        lp(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue()}, &chosen);
    if (!chosen)
        failure_ = QStringLiteral("the file queue cannot be added: ") + lastError_;
}

CupsSpooler::~CupsSpooler() {
    if (cupsd_.state() == QProcess::NotRunning)
        return;
    cupsd_.terminate();  // SIGTERM to the spooler's own PID
    if (!cupsd_.waitForFinished(10000)) {
        cupsd_.kill();
        cupsd_.waitForFinished(5000);
    }
}

QString CupsSpooler::lp(const QString& program, const QStringList& arguments, bool* ok) const {
    QProcess process;
    process.start(program, QStringList{QStringLiteral("-h"), socket()} + arguments);
    *ok = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    if (!*ok)
        lastError_ = program + QStringLiteral(": ") +
                     QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool CupsSpooler::waitForJobs(int milliseconds) {
    for (QDeadlineTimer limit(milliseconds); !limit.hasExpired(); QThread::msleep(50)) {
        bool ok = false;
        const QString jobs = lp(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &ok);
        if (ok && jobs.trimmed().isEmpty())
            return true;
    }
    return false;
}

QByteArray CupsSpooler::printed() const {
    QFile file(printedPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
