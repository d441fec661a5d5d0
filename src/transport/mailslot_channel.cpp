#include "transport/mailslot_channel.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

#include "errorreport/error_trap.h"
#include "platform/ansi_codec.h"
#include "platform/computer_identity.h"
#include "platform/computer_name_resolver.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_reader.h"
#include "platform/mailslot_sender.h"
#include "platform/netbios/netbios_name.h"
#include "platform/netbios/router_client.h"
#include "platform/netbios/router_hub.h"
#include "platform/netbios/router_service.h"
#include "seam/dialog_seam.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/settings.h"

using pelimo::platform::MailslotOrigin;
using pelimo::platform::MailslotSender;
using pelimo::platform::MailslotTransportConfig;
using pelimo::platform::NetbiosNameCache;
using pelimo::platform::RouterClient;
namespace router = pelimo::platform::router;

MailslotControlData gStructureMailslotControl;
QString gComputerName;

namespace {

constexpr char kModuleName[] = "ModMailSlot";
constexpr char kAlertTitle[] = "Alert";
constexpr char kInformationTitle[] = "Information";
constexpr char kInitFailedText[] =
    "Error Init MailSlot, please check you have a network ! or contact Trelvix";
constexpr char kScanFailedText[] =
    "Error Scanning MailSlot, please check you have a network ! or contact Trelvix";
constexpr char kAddFailedText[] = "Error Adding received Message to gStructureMailslotControl";
// How long the figures the router is asked for may take to come.
constexpr int kStatusWaitMs = 1000;
// How often a program without a router looks for one again to send through it.
constexpr auto kRouterLinkRetry = std::chrono::seconds(2);
constexpr char kComputerNameFailedText[] =
    "Error getting computer name, please check you have a network !";

// The transport's threads and what they share. Destroyed at exit before the records above, so
// the threads stop while everything they use still exists.
struct Transport {
    std::optional<MailslotTransportConfig> config;  // set by MailslotChannel::setTransportConfig
    std::shared_ptr<NetbiosNameCache> names = std::make_shared<NetbiosNameCache>();
    // The mailslot taken from the router, which also sends for us.
    std::unique_ptr<RouterClient> client;
    // Without a mailslot of ours: a connection to the router only to send through it.
    std::unique_ptr<RouterClient> sendLink;
    std::chrono::steady_clock::time_point nextSendLinkAttempt;
    // Without the network (tests of other parts): the local mailslot socket and its reader.
    std::unique_ptr<pelimo::platform::MailslotReader> reader;
    // Sends by itself when no router runs.
    std::unique_ptr<MailslotSender> sender;
    // Tests: the router inside this process, started like the program would be.
    std::mutex ownRouterMutex;
    std::unique_ptr<pelimo::platform::RouterService> ownRouter;
    bool privilegeExplained = false;
    quint64 tableOverflows = 0;  // untaken entries the received-message table had to drop
    QString mailslotFailure;     // why the last gFctInitMailSlot had no mailslot

    std::mutex identityMutex;  // the sender thread may ask for the workgroup
    QString localName;
    QString workgroup;

    ~Transport() {
        client.reset();
        sendLink.reset();
        reader.reset();
        sender.reset();
        ownRouter.reset();
    }
};

Transport& transport() {
    static Transport instance;
    return instance;
}

QString localComputerNameCached() {
    Transport& state = transport();
    const std::lock_guard lock(state.identityMutex);
    if (state.localName.isEmpty())
        state.localName = pelimo::platform::localComputerName();
    return state.localName;
}

// What the transport runs with: the configuration set for it, else the NetBIOS ports of the
// network. In scripted mode (tests) nothing goes on the network unless a test asks for it.
const MailslotTransportConfig& activeConfig() {
    static const MailslotTransportConfig network;
    static const MailslotTransportConfig offline = MailslotTransportConfig::offline();
    const Transport& state = transport();
    if (state.config)
        return *state.config;
    return DialogSeam::isScripted() ? offline : network;
}

QByteArray workgroupFor(const QString& configured) {
    if (!configured.isEmpty())
        return pelimo::platform::unicodeToAnsi(configured);
    Transport& state = transport();
    const std::lock_guard lock(state.identityMutex);
    if (state.workgroup.isEmpty())
        state.workgroup = pelimo::platform::localWorkgroup();
    return pelimo::platform::unicodeToAnsi(state.workgroup);
}

// The name the program sends as and answers to: gComputerName once read, else the system's.
QString ownComputerName() {
    return gComputerName.isEmpty() ? localComputerNameCached() : gComputerName;
}

void showAlert(const char* text, MsgBoxIcon icon = MsgBoxIcon::None,
               const char* title = kAlertTitle) {
    DialogSeam::messageBox(QString::fromLatin1(text), MsgBoxButtons::Ok, icon,
                           QString::fromLatin1(title));
}

MailslotIntakePresenter& intakePresenter() {
    static MailslotIntakePresenter current;
    return current;
}

// Hands why nothing can be received to the window layer; without windows (tools, core tests) it
// goes through the seam as a box.
void presentIntakeFailure(const QString& text) {
    if (intakePresenter()) {
        intakePresenter()(text);
        return;
    }
    DialogSeam::messageBox(text, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                           QString::fromLatin1(kInformationTitle));
}

// The router could not bind the ports: the right to is given to the router program only.
void explainMissingPrivilege(const router::IntakeReport& intake) {
    Transport& state = transport();
    if (state.privilegeExplained)
        return;
    state.privilegeExplained = true;
    presentIntakeFailure(
        QStringLiteral("Messages from other computers cannot be received: the NetBIOS ports "
                       "%1 and %2 need the right to bind ports below 1024, which Pelimo's router "
                       "program alone is given. Grant it once with\n\n"
                       "sudo setcap cap_net_bind_service=+ep %3\n\n"
                       "and start the program again. Sending still works.")
            .arg(intake.datagramPort)
            .arg(intake.namePort)
            .arg(QString::fromLocal8Bit(intake.routerProgram)));
}

// The datagram port is another program's and nmbd's socket cannot be read either: say so once,
// naming the program when /proc tells it.
void explainPortHeld(const router::IntakeReport& intake) {
    Transport& state = transport();
    if (state.privilegeExplained)
        return;
    state.privilegeExplained = true;
    const QString holder = intake.portHolder.isEmpty() ? gFctGetMessage(Msg::IntakeAnotherProgram)
                                                       : QString::fromLocal8Bit(intake.portHolder);
    QString text = gFctGetMessage(Msg::IntakePortHeld) + u' ' + holder +
                   QStringLiteral(" (UDP %1)").arg(intake.datagramPort);
    text += u' ' + gFctGetMessage(Msg::IntakeNmbdUnreadable) + u' ' +
            QString::fromLocal8Bit(intake.nmbdSocketPath) +
            QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(intake.nmbdError)));
    presentIntakeFailure(text);
}

// What the router could not do about the network, said once. Reading nmbd's socket is
// receiving; a configuration without nmbd's socket (tools, tests) holds its ports on purpose.
void explainIntake(const router::IntakeReport& intake) {
    if (intake.routing || intake.readingNmbd)
        return;
    if (intake.permissionDenied) {
        explainMissingPrivilege(intake);
    } else if (intake.portHeld && !intake.nmbdSocketPath.isEmpty()) {
        explainPortHeld(intake);
    }
}

// The router program: the one beside this program (a build or a copy), else the installed one
// (bin/../libexec/pelimo/).
QString routerProgramPath(const MailslotTransportConfig& config) {
    if (!config.routerProgram.isEmpty())
        return config.routerProgram;
    const QString folder = QCoreApplication::instance() != nullptr
                               ? QCoreApplication::applicationDirPath()
                               : QStringLiteral(".");
    const QFileInfo beside(folder + QStringLiteral("/pelimo-router"));
    if (beside.isFile() && beside.isExecutable())
        return beside.filePath();
    return QFileInfo(folder + QStringLiteral("/" PELIMO_ROUTER_FROM_BINDIR "/pelimo-router"))
        .absoluteFilePath();
}

// The router program's options for a configuration that is not the network's.
QStringList routerArguments(const MailslotTransportConfig& config) {
    const MailslotTransportConfig network;
    QStringList arguments;
    if (config.datagramPort != network.datagramPort)
        arguments << QStringLiteral("--datagram-port") << QString::number(config.datagramPort);
    if (config.namePort != network.namePort)
        arguments << QStringLiteral("--name-port") << QString::number(config.namePort);
    if (config.bindAddress != network.bindAddress)
        arguments << QStringLiteral("--bind") << config.bindAddress;
    for (const QString& address : config.broadcastOverride)
        arguments << QStringLiteral("--broadcast") << address;
    if (!config.useSystemResolver)
        arguments << QStringLiteral("--no-resolver");
    if (config.nmbdUnexpectedSocket && config.nmbdUnexpectedSocket->isEmpty())
        arguments << QStringLiteral("--no-nmbd");
    if (!config.workgroup.isEmpty())
        arguments << QStringLiteral("--workgroup") << config.workgroup;
    return arguments;
}

// Tests: a router inside this process, with the same parts as the router program.
bool startOwnRouter(const MailslotTransportConfig& config) {
    Transport& state = transport();
    const std::lock_guard lock(state.ownRouterMutex);
    if (state.ownRouter)
        return false;
    pelimo::platform::NetbiosIdentity identity;
    identity.computerName = pelimo::platform::unicodeToAnsi(ownComputerName());
    identity.workgroup = workgroupFor(config.workgroup);
    const QString program = QCoreApplication::instance() != nullptr
                                ? QCoreApplication::applicationFilePath()
                                : QStringLiteral("pelimo");
    state.ownRouter = std::make_unique<pelimo::platform::RouterService>(config, identity,
                                                                        QFile::encodeName(program));
    if (state.ownRouter->start() != 0) {
        state.ownRouter.reset();
        return false;
    }
    return true;
}

RouterClient::RouterStarter routerStarter(const MailslotTransportConfig& config) {
    if (config.routerStart == MailslotTransportConfig::RouterStart::InProcess)
        return [config] { return startOwnRouter(config); };
    return [program = routerProgramPath(config), arguments = routerArguments(config)] {
        return pelimo::platform::startRouterProgram(program, arguments);
    };
}

QByteArray routerSocketOf(const MailslotTransportConfig& config) {
    return pelimo::platform::routerSocketPrefix(config.datagramPort);
}

// Why the mailslot could not be had, for the user.
QString mailslotFailureText(const RouterClient::Outcome& outcome,
                            const MailslotTransportConfig& config) {
    switch (outcome.status) {
        case RouterClient::Status::Taken:
            return gFctGetMessage(Msg::ChannelTaken) + u' ' + MailslotChannel::name();
        case RouterClient::Status::Untrusted:
            return gFctGetMessage(Msg::RouterUntrusted) +
                   QStringLiteral(" %1 (uid %2)").arg(outcome.routerPid).arg(outcome.routerUid);
        case RouterClient::Status::Refused:
            return gFctGetMessage(Msg::ChannelRefused) + u' ' + MailslotChannel::name();
        default:
            return gFctGetMessage(Msg::RouterMissing) + u' ' + routerProgramPath(config) +
                   QStringLiteral(" (%1)").arg(
                       QString::fromLocal8Bit(std::strerror(outcome.error)));
    }
}

// The router to send through: the one our mailslot comes from, else one found running.
RouterClient* routerLink() {
    Transport& state = transport();
    const MailslotTransportConfig& config = activeConfig();
    if (!config.networkIntake)
        return nullptr;
    if (state.client && state.client->isConnected())
        return state.client.get();
    if (state.sendLink && state.sendLink->isConnected())
        return state.sendLink.get();
    const auto now = std::chrono::steady_clock::now();
    if (now < state.nextSendLinkAttempt)
        return nullptr;
    state.nextSendLinkAttempt = now + kRouterLinkRetry;
    RouterClient::Outcome outcome;
    state.sendLink = RouterClient::open(routerSocketOf(config), std::nullopt, nullptr, outcome);
    return state.sendLink.get();
}

// Closes whichever mailslot is open.
void closeMailslot() {
    Transport& state = transport();
    state.client.reset();
    if (state.reader) {
        state.reader.reset();
        pelimo::platform::closeLocalMailslot(gStructureMailslotControl.MailSlotHandle);
    }
    gStructureMailslotControl.MailSlotHandle = kInvalidHandleValue;
}

MailslotSender& outgoingSender() {
    Transport& state = transport();
    if (!state.sender) {
        const MailslotTransportConfig& config = activeConfig();
        state.sender = std::make_unique<MailslotSender>(
            config, [configured = config.workgroup] { return workgroupFor(configured); },
            state.names);
    }
    return *state.sender;
}

// Cuts the message into its fields: each NUL ends one; characters after the last NUL are
// dropped, and every NUL-terminated field after the third replaces the text.
void cutFields(QByteArrayView message, QString& sender, QString& addressee, QString& text) {
    int field = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] != '\0')
            continue;
        const QString value = pelimo::platform::ansiToUnicode(message.sliced(start, i - start));
        if (field == 1) {
            sender = value;
            field = 2;
        } else if (field == 2) {
            addressee = value;
            field = 3;
        } else {
            text = value;
        }
        start = i + 1;
    }
}

}  // namespace

void MailslotIntake::setPresenter(MailslotIntakePresenter presenter) {
    intakePresenter() = std::move(presenter);
}

QString MailslotChannel::name() {
    return Settings.MessageChannel.isEmpty() ? QString::fromLatin1(kDefaultMessageChannel)
                                             : Settings.MessageChannel;
}

bool gFctInitMailSlot() {
    try {
        Transport& state = transport();
        // A mailslot still open from an earlier call is closed first instead of being leaked.
        closeMailslot();
        state.mailslotFailure.clear();
        state.tableOverflows = 0;
        const QByteArray channel = pelimo::platform::unicodeToAnsi(MailslotChannel::name());
        const MailslotTransportConfig& config = activeConfig();
        if (!config.networkIntake) {
            gStructureMailslotControl.MailSlotHandle =
                pelimo::platform::createLocalMailslot(channel);
            if (gStructureMailslotControl.MailSlotHandle == kInvalidHandleValue) {
                state.mailslotFailure =
                    gFctGetMessage(Msg::ChannelTaken) + u' ' + MailslotChannel::name();
                return false;
            }
            state.reader = std::make_unique<pelimo::platform::MailslotReader>(
                gStructureMailslotControl.MailSlotHandle);
            return true;
        }
        RouterClient::Outcome outcome;
        state.client =
            RouterClient::open(routerSocketOf(config), channel, routerStarter(config), outcome);
        if (!state.client) {
            state.mailslotFailure = mailslotFailureText(outcome, config);
            return false;
        }
        gStructureMailslotControl.MailSlotHandle = state.client->handle();
        explainIntake(outcome.intake);
        return true;
    } catch (...) {
        showAlert(kInitFailedText);
        return false;
    }
}

QString MailslotChannel::failure() {
    return transport().mailslotFailure;
}

QString MailslotChannel::routerProgram() {
    return routerProgramPath(activeConfig());
}

qint32 gFctScanMailSlot() {
    try {
        Transport& state = transport();
        if (gStructureMailslotControl.MailSlotHandle == kInvalidHandleValue ||
            (!state.client && !state.reader)) {
            return -1;
        }
        // The handle stays open: further waiting messages are read by the following scans.
        const std::optional<pelimo::platform::EnvelopedMessage> taken =
            state.client ? state.client->take() : state.reader->take();
        // A zero-length message has been read and is dropped.
        if (!taken || taken->message.isEmpty())
            return 0;
        QString sender;
        QString addressee;
        QString text;
        cutFields(taken->message, sender, addressee, text);
        gAddMessageToMailslotControl(sender, addressee, text, taken->origin);
        return 1;
    } catch (...) {
        showAlert(kScanFailedText);
        return 0;
    }
}

namespace {

constexpr qint64 kHeldEntryOverhead = 64;

qint64 heldBytesOf(const QString& sender, const QString& addressee, const QString& text) {
    return static_cast<qint64>(sender.size() + addressee.size() + text.size()) *
               static_cast<qint64>(sizeof(QChar)) +
           kHeldEntryOverhead;
}

void dropOldestHeldEntry(MailslotControlData& control) {
    control.HeldBytes -= heldBytesOf(control.SenderList.first(), control.AddresseeList.first(),
                                     control.TextList.first());
    control.SenderList.dropFirst();
    control.AddresseeList.dropFirst();
    control.TextList.dropFirst();
    control.OriginList.dropFirst();
}

void restartHeldEntries(MailslotControlData& control, qint32 first) {
    control.SenderList.restartAt(first);
    control.AddresseeList.restartAt(first);
    control.TextList.restartAt(first);
    control.OriginList.restartAt(first);
    control.HeldBytes = 0;
}

}  // namespace

void gAddMessageToMailslotControl(const QString& sender, const QString& addressee,
                                  const QString& text, const MailslotOrigin& origin) {
    MailslotControlData& control = gStructureMailslotControl;
    try {
        // The count would overflow: start again from 1, as after a clearing.
        if (control.MessageCount == std::numeric_limits<qint32>::max()) {
            transport().tableOverflows += static_cast<quint64>(control.SenderList.heldCount());
            control.MessageCount = 0;
            restartHeldEntries(control, 1);
        }
        // Entries the receive loop never took make room for the new one.
        const qint64 size = heldBytesOf(sender, addressee, text);
        while (!control.SenderList.isEmpty() &&
               (control.SenderList.heldCount() >= kMaxHeldMailslotEntries ||
                control.HeldBytes + size > kMaxHeldMailslotBytes)) {
            dropOldestHeldEntry(control);
            ++transport().tableOverflows;
        }
        ++control.MessageCount;
        control.SenderList.append(sender);
        control.AddresseeList.append(addressee);
        control.TextList.append(text);
        control.OriginList.append(origin);
        control.HeldBytes += size;
    } catch (...) {
        showAlert(kAddFailedText, MsgBoxIcon::Exclamation, kInformationTitle);
    }
}

void MailslotChannel::releaseEntries(qint32 index) {
    MailslotControlData& control = gStructureMailslotControl;
    const qint32 last = std::min(index, control.MessageCount);
    while (!control.SenderList.isEmpty() &&
           control.MessageCount - control.SenderList.heldCount() < last)
        dropOldestHeldEntry(control);
}

void gInitMailslotControl() {
    gStructureMailslotControl.MessageCount = 0;
    restartHeldEntries(gStructureMailslotControl, 1);
}

quint64 MailslotIntake::lostDatagrams() {
    const Transport& state = transport();
    return (state.client ? state.client->lost() : 0) +
           (state.reader ? state.reader->dropped() : 0) + state.tableOverflows;
}

bool MailslotIntake::holdsDatagrams() {
    const Transport& state = transport();
    if (!state.client)
        return false;
    const auto status = state.client->status(kStatusWaitMs);
    return status && status->held > 0;
}

int MailslotIntake::receiveBufferBytes() {
    const Transport& state = transport();
    const auto status = state.client ? state.client->status(kStatusWaitMs) : std::nullopt;
    return status ? static_cast<int>(status->receiveBufferBytes) : 0;
}

void gCloseMailSlot() {
    closeMailslot();
}

namespace {

// SendToPelimo and the answers: one datagram into the sender's queue.
void queueDatagram(const QString& sender, const QString& addressee, const QString& text,
                   pelimo::platform::NameSource source,
                   std::optional<std::uint32_t> destinationAddress) {
    ErrorTrap trap(QString::fromLatin1(kModuleName), QStringLiteral("SendToPelimo"));
    if (addressee.isEmpty())
        return;  // no computer to write to
    pelimo::platform::OutgoingMailslotMessage outgoing;
    trap.step([&] {
        outgoing.sender = pelimo::platform::unicodeToAnsi(sender);
        outgoing.addressee = pelimo::platform::unicodeToAnsi(addressee);
        outgoing.channel = pelimo::platform::unicodeToAnsi(MailslotChannel::name());
        outgoing.ownComputerName = pelimo::platform::unicodeToAnsi(ownComputerName());
        outgoing.addresseeSource = source;
        outgoing.destinationAddress = destinationAddress;
    });
    trap.step([&] {
        QByteArray& message = outgoing.message;
        message = outgoing.sender;
        message.append('\0');
        message.append(outgoing.addressee);
        message.append('\0');
        message.append(pelimo::platform::unicodeToAnsi(text));
        message.append('\0');
    });
    // Through the router when one runs, else by ourselves. A full queue drops the datagram, as
    // the network would.
    trap.step([&] {
        if (RouterClient* link = routerLink()) {
            link->send(std::move(outgoing));
        } else {
            outgoingSender().enqueue(std::move(outgoing));
        }
    });
}

}  // namespace

void SendToPelimo(const QString& sender, const QString& addressee, const QString& text,
                  pelimo::platform::NameSource source) {
    queueDatagram(sender, addressee, text, source, std::nullopt);
}

void MailslotChannel::answerOrigin(const QString& sender, const QString& addressee,
                                   const QString& text, const MailslotOrigin& origin) {
    queueDatagram(sender, addressee, text, pelimo::platform::NameSource::Network,
                  origin.network ? std::optional<std::uint32_t>(origin.address) : std::nullopt);
}

bool MailslotChannel::isNetworkComputerName(const QString& name) {
    return pelimo::platform::isNetbiosComputerName(pelimo::platform::unicodeToAnsi(name));
}

qint32 gFctGetComputerName(QString& name) {
    try {
        name = localComputerNameCached();
        return name.isEmpty() ? 0 : 1;
    } catch (...) {
        showAlert(kComputerNameFailedText);
        return name.isEmpty() ? 0 : 1;
    }
}

void MailslotChannel::setTransportConfig(const MailslotTransportConfig& config) {
    Transport& state = transport();
    state.sender.reset();  // the next datagram starts a sender with the new settings
    state.config = config;
}

const MailslotTransportConfig& MailslotChannel::transportConfig() {
    return activeConfig();
}

ComputerNameResolver LocalComputerName::resolver() {
    return [config = activeConfig(), names = transport().names](const QString& name) {
        return pelimo::platform::resolveComputerName(pelimo::platform::unicodeToAnsi(name), config,
                                                     *names);
    };
}

MailslotIntakeFigures MailslotIntake::figures() {
    MailslotIntakeFigures figures;
    const Transport& state = transport();
    const auto status = state.client ? state.client->status(kStatusWaitMs) : std::nullopt;
    if (!status)
        return figures;
    figures.readingNmbd = status->readingNmbd;
    figures.routing = status->routing || status->readingNmbd;
    figures.delivered = status->delivered;
    figures.dropped = status->dropped;
    figures.duplicates = status->duplicates;
    return figures;
}

bool MailslotChannel::flushSends(int timeoutMs) {
    Transport& state = transport();
    bool written = !state.sender || state.sender->flush(timeoutMs);
    for (RouterClient* link : {state.client.get(), state.sendLink.get()}) {
        if (link != nullptr && link->isConnected())
            written = link->flush(timeoutMs) && written;
    }
    return written;
}

void MailslotChannel::reset() {
    gCloseMailSlot();
    Transport& state = transport();
    state.sendLink.reset();
    state.nextSendLinkAttempt = {};
    state.sender.reset();
    {
        const std::lock_guard lock(state.ownRouterMutex);
        state.ownRouter.reset();
    }
    state.mailslotFailure.clear();
    state.names->clear();
    state.privilegeExplained = false;
    {
        const std::lock_guard lock(state.identityMutex);
        state.localName.clear();
        state.workgroup.clear();
    }
    state.config.reset();
    gInitMailslotControl();
    gComputerName.clear();
}
