// pelimo-send: writes one plain message to a computer, a workgroup or "*" through the same
// sender as the program, for scripts and tests.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "diagnosis/diagnosis_command.h"
#include "diagnosis/reachability_diagnosis.h"
#include "platform/mailslot_transport_config.h"
#include "stores/application.h"
#include "stores/decoded_message.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

namespace {

constexpr int kSendTimeoutMs = 10000;
constexpr int kUsageError = 2;

int fail(const QString& message) {
    std::fprintf(stderr, "pelimo-send: %s\nTry 'pelimo-send --help'.\n", qPrintable(message));
    return kUsageError;
}

std::optional<std::uint16_t> portOption(const QCommandLineParser& parser, const QString& name) {
    bool ok = false;
    const uint port = parser.value(name).toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelimo-send"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one plain message from this computer to the mailslot of the message channel on "
        "TARGET: a computer name, a workgroup name, or \"*\" for every computer of the "
        "workgroup.\nThe words of TEXT are joined by blanks. The channel is the MessageChannel "
        "of the Settings.ini beside this program, else \"pelimo\". The message goes through "
        "Pelimo's router when one runs on this computer, else this program sends it. Exits 0 "
        "once the datagram has been written; as with the program itself, delivery is not "
        "confirmed.\n"
        "With --diagnose, TARGET is a computer name and no message is sent: one line per check "
        "tells whether that computer can be reached by mailslot. Exits 0 when it answered, 1 "
        "when it cannot be reached, 3 when this computer cannot receive its answer."));
    parser.addHelpOption();
    const QCommandLineOption channelOption(QStringLiteral("channel"),
                                           QStringLiteral("Message channel (mailslot name)."),
                                           QStringLiteral("NAME"));
    const QCommandLineOption datagramPortOption(
        QStringLiteral("datagram-port"),
        QStringLiteral("UDP port of the datagram service (default 138; for tests)."),
        QStringLiteral("PORT"));
    const QCommandLineOption namePortOption(
        QStringLiteral("name-port"),
        QStringLiteral("UDP port of the name service (default 137; for tests)."),
        QStringLiteral("PORT"));
    const QCommandLineOption broadcastOption(
        QStringLiteral("broadcast"),
        QStringLiteral("Send broadcasts and name queries to ADDRESS instead of the broadcast "
                       "address of every interface (for tests; may be repeated)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption diagnoseOption(
        QStringLiteral("diagnose"),
        QStringLiteral("Check why the computer TARGET can or cannot be reached, instead of "
                       "sending a message."));
    const QCommandLineOption noResolverOption(
        QStringLiteral("no-resolver"),
        QStringLiteral("Do not ask the system resolver (hosts file, DNS) for computer names."));
    parser.addOptions({channelOption, datagramPortOption, namePortOption, broadcastOption,
                       noResolverOption, diagnoseOption});
    parser.addPositionalArgument(QStringLiteral("TARGET"),
                                 QStringLiteral("Computer, workgroup or \"*\"."));
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The message."),
                                 QStringLiteral("TEXT..."));
    parser.process(app);

    QStringList words = parser.positionalArguments();
    if (words.isEmpty() || words.front().isEmpty())
        return fail(QStringLiteral("TARGET is missing."));
    const QString target = words.takeFirst();
    const bool diagnose = parser.isSet(diagnoseOption);
    if (diagnose && Reachability::diagnosableName(target).isEmpty())
        return fail(QStringLiteral("TARGET is no computer name."));
    if (!diagnose && words.isEmpty())
        return fail(QStringLiteral("TEXT is missing."));

    pelimo::platform::MailslotTransportConfig config;
    if (parser.isSet(datagramPortOption)) {
        const auto port = portOption(parser, datagramPortOption.names().front());
        if (!port)
            return fail(QStringLiteral("--datagram-port needs a port number."));
        config.datagramPort = *port;
    }
    if (parser.isSet(namePortOption)) {
        const auto port = portOption(parser, namePortOption.names().front());
        if (!port)
            return fail(QStringLiteral("--name-port needs a port number."));
        config.namePort = *port;
    }
    config.broadcastOverride = parser.values(broadcastOption);
    config.useSystemResolver = !parser.isSet(noResolverOption);
    MailslotChannel::setTransportConfig(config);

    Application::initFolder();
    gLoadSettingsIni();
    if (parser.isSet(channelOption))
        Settings.MessageChannel = parser.value(channelOption);
    if (gFctGetComputerName(gComputerName) == 0) {
        std::fprintf(stderr, "pelimo-send: the computer name cannot be read.\n");
        return 1;
    }
    if (diagnose) {
        // The lines are in the words of the program's language file.
        gLoadLanguageFile(Settings.FileLanguage);
        return DiagnosisCommand::run(Reachability::diagnosableName(target));
    }

    DecodedMessage.Kind = kKindPlain;
    DecodedMessage.AttachmentPath.clear();
    gEncodeMessage(words.join(u' '));
    SendToPelimo(gComputerName, target, DecodedMessage.Text);
    if (!MailslotChannel::flushSends(kSendTimeoutMs)) {
        std::fprintf(stderr, "pelimo-send: the message could not be written in time.\n");
        return 1;
    }
    return 0;
}
