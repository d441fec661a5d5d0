#include "platform/computer_identity.h"

#include <unistd.h>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <climits>
#include <map>
#include <mutex>

#include "platform/atomic_file.h"
#include "platform/file_stamp.h"

namespace pelimo::platform {
namespace {

constexpr int kTestparmTimeoutMs = 3000;

QString normalisedName(const QString& name) {
    return name.trimmed().toUpper().left(kMaxComputerNameLength);
}

QString hostNameFirstLabel() {
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return QString::fromLocal8Bit(buffer).section(u'.', 0, 0);
}

QString fromTestparm(const QString& name, const SambaConfigSource& source) {
    const QString program = QStandardPaths::findExecutable(source.testparmProgram);
    if (program.isEmpty() || !QFileInfo::exists(source.configFile))
        return {};
    QProcess testparm;
    testparm.start(program, {QStringLiteral("-s"), QStringLiteral("--parameter-name=") + name,
                             source.configFile});
    if (!testparm.waitForFinished(kTestparmTimeoutMs) || testparm.exitCode() != 0) {
        testparm.kill();
        return {};
    }
    return QString::fromLocal8Bit(testparm.readAllStandardOutput()).trimmed();
}

// Whether `config` says by itself what testparm would: no includes, no other configuration file
// or back end. Comments do not count.
bool selfContained(QByteArrayView config) {
    for (const QByteArray& rawLine : config.toByteArray().split('\n')) {
        const QByteArray line = rawLine.simplified().toLower();
        if (line.startsWith("include") || line.startsWith("config file") ||
            line.startsWith("config backend"))
            return false;
    }
    return true;
}

}  // namespace

QString sambaConfigFile() {
    const QString named = qEnvironmentVariable("SMB_CONF_PATH");
    return named.isEmpty() ? QString::fromLatin1(kDefaultSambaConfigFile) : named;
}

QString parseSambaGlobalParameter(QByteArrayView config, const QString& name) {
    const QString wanted = name.simplified().toCaseFolded();
    bool inGlobal = false;
    for (const QString& rawLine : QString::fromLocal8Bit(config).split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            inGlobal =
                line.mid(1).section(u']', 0, 0).trimmed().compare(u"global", Qt::CaseInsensitive) ==
                0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGlobal || equals < 0)
            continue;
        if (line.left(equals).simplified().toCaseFolded() == wanted) {
            return line.mid(equals + 1).trimmed();
        }
    }
    return {};
}

QString sambaGlobalParameter(const QString& name, const SambaConfigSource& source) {
    // Answers are kept until the file changes.
    struct Known {
        FileStamp stamp;
        QString value;
    };
    static std::mutex mutex;
    static std::map<QString, Known> known;
    const QString key = source.testparmProgram + u'\n' + source.configFile + u'\n' + name;
    const FileStamp stamp = fileStamp(source.configFile);
    {
        const std::lock_guard lock(mutex);
        const auto found = known.find(key);
        if (found != known.end() && found->second.stamp == stamp)
            return found->second.value;
    }
    // A self-contained file is read directly (a parameter it lacks has the default the callers
    // fall back to), sparing a program started at every start-up. What it cannot tell alone,
    // includes or a substitution in the value, is asked of testparm.
    const auto bytes = readWholeFile(source.configFile);
    QString value = bytes ? parseSambaGlobalParameter(*bytes, name) : QString();
    if (!bytes || !selfContained(*bytes) || value.contains(u'%')) {
        if (QString answered = fromTestparm(name, source); !answered.isEmpty())
            value = std::move(answered);
    }
    const std::lock_guard lock(mutex);
    known[key] = {stamp, value};
    return value;
}

QString localComputerName(const SambaConfigSource& source) {
    QString name = sambaGlobalParameter(QStringLiteral("netbios name"), source);
    if (name.isEmpty())
        name = hostNameFirstLabel();
    return normalisedName(name);
}

QString localWorkgroup(const SambaConfigSource& source) {
    const QString workgroup = sambaGlobalParameter(QStringLiteral("workgroup"), source);
    return workgroup.isEmpty() ? QStringLiteral("WORKGROUP") : normalisedName(workgroup);
}

}  // namespace pelimo::platform
