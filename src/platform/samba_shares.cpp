#include "platform/samba_shares.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <mutex>

#include "platform/atomic_file.h"
#include "platform/file_stamp.h"

namespace pelimo::platform {
namespace {

constexpr int kProgramTimeoutMs = 5000;

struct ProgramOutput {
    int exitCode = 0;
    QByteArray output;
    QByteArray errors;
};

// Runs a Samba tool with the C locale (its messages are parsed); nothing when the program is
// missing, fails to start or does not finish in time.
std::optional<ProgramOutput> runProgram(const QString& name, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(kProgramTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return ProgramOutput{process.exitCode(), process.readAllStandardOutput(),
                         process.readAllStandardError()};
}

// Lines of a text with CR LF or LF ends.
QStringList textLines(QByteArrayView text) {
    QStringList lines = QString::fromLocal8Bit(text).split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

// Samba compares parameter names without regard to case and blanks ("read only" = "readonly").
QString parameterKey(const QString& name) {
    QString key = name.toCaseFolded();
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

// Samba's booleans; anything else leaves the value as it was.
std::optional<bool> booleanValue(const QString& text) {
    const QString value = text.toCaseFolded();
    if (value == u"yes" || value == u"true" || value == u"on" || value == u"1")
        return true;
    if (value == u"no" || value == u"false" || value == u"off" || value == u"0")
        return false;
    return std::nullopt;
}

// A section of the configuration while it is read.
struct SectionState {
    SambaShare share;
    bool available = true;
    bool printable = false;
    bool administrative = false;
};

void applyParameter(SectionState& section, const QString& key, const QString& value) {
    if (key == u"path" || key == u"directory") {
        section.share.path = value;
    } else if (key == u"comment") {
        section.share.comment = value;
    } else if (key == u"available") {
        section.available = booleanValue(value).value_or(section.available);
    } else if (key == u"printable" || key == u"printok") {
        section.printable = booleanValue(value).value_or(section.printable);
    } else if (key == u"administrativeshare") {
        section.administrative = booleanValue(value).value_or(section.administrative);
    } else if (key == u"maxconnections") {
        bool ok = false;
        const int connections = value.toInt(&ok);
        if (ok && connections >= 0) {
            section.share.maxUses = connections == 0 ? kShareUsesUnlimited : connections;
        }
    }
}

// Joins the lines that end in a backslash with the next one, as Samba does.
QStringList logicalLines(QByteArrayView config) {
    QStringList lines;
    QString pending;
    for (const QString& line : textLines(config)) {
        if (line.endsWith(u'\\')) {
            pending += line.chopped(1);
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    if (!pending.isEmpty())
        lines.append(pending);
    return lines;
}

bool isShareSection(const QString& name) {
    // [global] holds the server's settings; [homes] and [printers] are templates of shares that
    // Samba makes per user and per printer, no shares of their own names.
    for (const char16_t* special : {u"global", u"homes", u"printers"}) {
        if (name.compare(QStringView(special), Qt::CaseInsensitive) == 0)
            return false;
    }
    return !name.isEmpty();
}

SambaShare finishedShare(const SectionState& section) {
    SambaShare share = section.share;
    if (section.printable) {
        share.type = kShareTypePrintQueue;
    } else if (share.name.compare(u"IPC$", Qt::CaseInsensitive) == 0) {
        share.type = kShareTypeIpc | kShareTypeSpecial;
    } else {
        share.type = kShareTypeDiskTree;
    }
    if (section.administrative)
        share.type |= kShareTypeSpecial;
    return share;
}

// Samba makes a disk share without a folder unavailable.
bool isListed(const SectionState& section) {
    return section.available && (section.printable || !section.share.path.isEmpty());
}

QByteArray configurationText(const SambaShareSource& source) {
    if (source.configText)
        return *source.configText;
    if (!QFileInfo::exists(source.config.configFile))
        return {};
    // testparm applies includes, synonyms and Samba's own checks; the file is the fallback.
    if (const auto testparm = runProgram(source.config.testparmProgram,
                                         {QStringLiteral("-s"), source.config.configFile})) {
        if (testparm->exitCode == 0)
            return testparm->output;
    }
    return readWholeFile(source.config.configFile).value_or(QByteArray());
}

std::optional<UsershareListing> usershareListing(const SambaShareSource& source) {
    if (source.usershares)
        return source.usershares;
    if (!QFileInfo::exists(source.config.configFile))
        return std::nullopt;
    // --long lists the usershares of every user, not only the caller's own.
    const auto net =
        runProgram(source.netProgram,
                   {QStringLiteral("-s"), source.config.configFile, QStringLiteral("usershare"),
                    QStringLiteral("info"), QStringLiteral("--long")});
    if (!net)
        return std::nullopt;
    return UsershareListing{net->output, net->errors};
}

constexpr char kDefaultUsershareFolder[] = "/var/lib/samba/usershares";

// What the shares were read from: the configuration file, the usershare folder and its files.
struct SambaFilesState {
    FileStamp config;
    QString usershareFolder;
    FileStamp folder;
    std::vector<std::pair<QString, FileStamp>> usershares;
    bool operator==(const SambaFilesState&) const = default;
};

SambaFilesState sambaFilesState(const QString& configFile, const QString& usershareFolder) {
    SambaFilesState state{.config = fileStamp(configFile), .usershareFolder = usershareFolder};
    if (usershareFolder.isEmpty())
        return state;
    state.folder = fileStamp(usershareFolder);
    const QDir folder(usershareFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        state.usershares.emplace_back(name, fileStamp(folder.filePath(name)));
    return state;
}

}  // namespace

std::vector<SambaShare> parseSambaShares(QByteArrayView config) {
    std::vector<SectionState> sections;
    SectionState* current = nullptr;
    for (const QString& rawLine : logicalLines(config)) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString name = line.mid(1, close - 1).trimmed();
            current = nullptr;
            // Samba refuses a header without its "]"; its parameters belong to no share.
            if (close < 0 || !isShareSection(name))
                continue;
            // A section named twice goes on with the first one, as in Samba.
            for (SectionState& section : sections) {
                if (section.share.name.compare(name, Qt::CaseInsensitive) == 0)
                    current = &section;
            }
            if (current == nullptr) {
                sections.push_back({.share = {.name = name}});
                current = &sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current == nullptr || equals < 0)
            continue;
        applyParameter(*current, parameterKey(line.left(equals)), line.mid(equals + 1).trimmed());
    }
    std::vector<SambaShare> shares;
    for (const SectionState& section : sections) {
        if (isListed(section))
            shares.push_back(finishedShare(section));
    }
    return shares;
}

std::vector<SambaShare> parseUsershareListing(const UsershareListing& listing) {
    std::vector<SambaShare> shares;
    SambaShare* current = nullptr;
    for (const QString& line : textLines(listing.output)) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            shares.push_back({.name = line.mid(1, line.size() - 2)});
            current = &shares.back();
        } else if (current != nullptr && line.startsWith(u"path=")) {
            current->path = line.mid(5);
        } else if (current != nullptr && line.startsWith(u"comment=")) {
            current->comment = line.mid(8);
        }
    }
    std::erase_if(shares, [](const SambaShare& share) {
        return share.name.isEmpty() || share.path.isEmpty();
    });

    // net names each usershare file it could not open: "... unable to open DIR/NAME. REASON".
    // Only a refusal for lack of rights means a share whose folder we may not see.
    static const QString kUnableToOpen = QStringLiteral("unable to open ");
    static const QString kPermissionDenied = QStringLiteral(". Permission denied");
    for (const QString& line : textLines(listing.errors)) {
        const qsizetype start = line.indexOf(kUnableToOpen);
        if (start < 0 || !line.endsWith(kPermissionDenied))
            continue;
        const QString file =
            line.mid(start + kUnableToOpen.size()).chopped(kPermissionDenied.size());
        const QString name = file.section(u'/', -1);
        if (name.isEmpty())
            continue;
        shares.push_back({.name = name, .pathReadable = false});
    }
    return shares;
}

std::vector<SambaShare> readLocalSambaShares(const SambaShareSource& source) {
    // testparm and net take a good part of a second each: what they gave is kept while the
    // configuration file and the usershare files stay as they were.
    const bool fromSystem = !source.configText && !source.usershares;
    struct Known {
        QString program;
        SambaFilesState files;
        std::vector<SambaShare> shares;
    };
    static std::mutex mutex;
    static std::optional<Known> known;
    const QString program = source.config.testparmProgram + u'\n' + source.config.configFile +
                            u'\n' + source.netProgram;
    SambaFilesState files;
    if (fromSystem) {
        const std::lock_guard lock(mutex);
        files = sambaFilesState(source.config.configFile, known && known->program == program
                                                              ? known->files.usershareFolder
                                                              : QString());
        if (known && known->program == program && known->files == files)
            return known->shares;
    }

    const QByteArray config = configurationText(source);
    std::vector<SambaShare> shares = parseSambaShares(config);
    const qsizetype configured = qsizetype(shares.size());
    if (const auto listing = usershareListing(source)) {
        for (SambaShare& usershare : parseUsershareListing(*listing)) {
            // Samba serves the configured share when a usershare has the same name.
            const bool taken = std::any_of(
                shares.begin(), shares.begin() + configured, [&](const SambaShare& share) {
                    return share.name.compare(usershare.name, Qt::CaseInsensitive) == 0;
                });
            if (!taken)
                shares.push_back(std::move(usershare));
        }
    }
    if (fromSystem) {
        QString folder = parseSambaGlobalParameter(config, QStringLiteral("usershare path"));
        if (folder.isEmpty())
            folder = QString::fromLatin1(kDefaultUsershareFolder);
        const std::lock_guard lock(mutex);
        // Stamped before reading, so a change made meanwhile is read next time; the usershare
        // folder of a new configuration is known only now.
        if (files.usershareFolder != folder)
            files = sambaFilesState(source.config.configFile, folder);
        known = Known{program, files, shares};
    }
    return shares;
}

}  // namespace pelimo::platform
