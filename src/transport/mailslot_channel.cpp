#include "transport/mailslot_channel.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

#include "errorreport/error_trap.h"
#include "platform/ansi_codec.h"
#include "platform/computer_identity.h"
#include "platform/computer_name_resolver.h"
#include "platform/netbios_name.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_reader.h"
#include "platform/mailslot_router.h"
#include "platform/mailslot_sender.h"
#include "platform/udp_port_holder.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "ui/dialog_seam.h"

using pelimo::platform::MailslotOrigin;
using pelimo::platform::MailslotRouter;
using pelimo::platform::MailslotSender;
using pelimo::platform::MailslotTransportConfig;
using pelimo::platform::NetbiosNameCache;

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
// Language messages of the box that says why nothing can be received.
constexpr int kPortHeldText = 110;
constexpr int kAnotherProgramText = 111;
constexpr int kNmbdUnreadableText = 112;
constexpr char kComputerNameFailedText[] =
    "Error getting computer name, please check you have a network !";

// The transport's threads and what they share. Destroyed at exit before the records above, so
// the threads stop while everything they use still exists.
struct Transport {
    std::optional<MailslotTransportConfig> config;  // set by gSetMailslotTransportConfig
    std::shared_ptr<NetbiosNameCache> names = std::make_shared<NetbiosNameCache>();
    std::unique_ptr<MailslotRouter> router;
    std::unique_ptr<pelimo::platform::MailslotReader> reader;  // empties the open mailslot
    std::unique_ptr<MailslotSender> sender;
    bool privilegeExplained = false;
    quint64 tableOverflows = 0;  // untaken entries the received-message table had to drop

    std::mutex identityMutex;  // the sender thread may ask for the workgroup
    QString localName;
    QString workgroup;

    ~Transport() {
        reader.reset();
        router.reset();
        sender.reset();
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

void explainMissingPrivilege() {
    Transport& state = transport();
    if (state.privilegeExplained)
        return;
    state.privilegeExplained = true;
    const QString program = QCoreApplication::instance() != nullptr
                                ? QCoreApplication::applicationFilePath()
                                : QStringLiteral("pelimo");
    DialogSeam::messageBox(
        QStringLiteral("Messages from other computers cannot be received: the NetBIOS ports "
                       "%1 and %2 need the right to bind ports below 1024. Grant it once with\n\n"
                       "sudo setcap cap_net_bind_service=+ep %3\n\n"
                       "and start the program again. Sending still works.")
            .arg(activeConfig().datagramPort)
            .arg(activeConfig().namePort)
            .arg(program),
        MsgBoxButtons::Ok, MsgBoxIcon::Exclamation, QString::fromLatin1(kInformationTitle));
}

// The datagram port is another program's and nmbd's socket cannot be read either: say so once,
// naming the program when /proc tells it.
void explainPortHeld(const pelimo::platform::RouterStartResult& started) {
    Transport& state = transport();
    if (state.privilegeExplained)
        return;
    state.privilegeExplained = true;
    const auto holder = pelimo::platform::udpPortHolder(activeConfig().datagramPort);
    QString text = gFctGetMessage(kPortHeldText) + u' ' +
                   holder.value_or(gFctGetMessage(kAnotherProgramText)) +
                   QStringLiteral(" (UDP %1)").arg(activeConfig().datagramPort);
    text += u' ' + gFctGetMessage(kNmbdUnreadableText) + u' ' + started.nmbdSocketPath +
            QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(started.nmbdError)));
    DialogSeam::messageBox(text, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                           QString::fromLatin1(kInformationTitle));
}

// The router and the name service, started with the mailslot. Starting sends nothing.
void startNetworkIntake() {
    Transport& state = transport();
    const MailslotTransportConfig& config = activeConfig();
    if (!config.networkIntake || state.router)
        return;
    pelimo::platform::NetbiosIdentity identity;
    identity.computerName = pelimo::platform::unicodeToAnsi(ownComputerName());
    identity.workgroup = workgroupFor(config.workgroup);
    state.router = std::make_unique<MailslotRouter>(config, identity, state.names);
    const pelimo::platform::RouterStartResult started = state.router->start();
    // Reading nmbd's socket is receiving; another copy routing here receives for us.
    if (started.readingNmbd || started.anotherRouter)
        return;
    if (started.permissionDenied) {
        explainMissingPrivilege();
    } else if (!started.datagramPortBound && started.datagramPortError == EADDRINUSE &&
               !started.nmbdSocketPath.isEmpty()) {
        // (A configuration without nmbd's socket, as tools and tests use, holds its ports on
        // purpose.)
        explainPortHeld(started);
    }
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

QString gMessageChannel() {
    return Settings.MessageChannel.isEmpty() ? QString::fromLatin1(kDefaultMessageChannel)
                                             : Settings.MessageChannel;
}

bool gFctInitMailSlot() {
    try {
        // A mailslot still open from an earlier call is closed first instead of being leaked.
        transport().reader.reset();
        pelimo::platform::closeLocalMailslot(gStructureMailslotControl.MailSlotHandle);
        gStructureMailslotControl.MailSlotHandle = kInvalidHandleValue;
        gStructureMailslotControl.MailSlotHandle = pelimo::platform::createLocalMailslot(
            pelimo::platform::unicodeToAnsi(gMessageChannel()));
        if (gStructureMailslotControl.MailSlotHandle == kInvalidHandleValue)
            return false;
        transport().reader = std::make_unique<pelimo::platform::MailslotReader>(
            gStructureMailslotControl.MailSlotHandle);
        transport().tableOverflows = 0;
        startNetworkIntake();
        return true;
    } catch (...) {
        showAlert(kInitFailedText);
        return false;
    }
}

qint32 gFctScanMailSlot() {
    try {
        pelimo::platform::MailslotReader* reader = transport().reader.get();
        if (gStructureMailslotControl.MailSlotHandle == kInvalidHandleValue || reader == nullptr)
            return -1;
        // The handle stays open: further waiting messages are read by the following scans.
        const std::optional<pelimo::platform::EnvelopedMessage> taken = reader->take();
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

void gReleaseMailslotEntries(qint32 index) {
    MailslotControlData& control = gStructureMailslotControl;
    const qint32 last = std::min(index, control.MessageCount);
    while (!control.SenderList.isEmpty() && control.MessageCount - control.SenderList.heldCount() < last)
        dropOldestHeldEntry(control);
}

void gInitMailslotControl() {
    gStructureMailslotControl.MessageCount = 0;
    restartHeldEntries(gStructureMailslotControl, 1);
}

quint64 gFctLostDatagrams() {
    const Transport& state = transport();
    return (state.router ? state.router->lostDatagrams() : 0) +
           (state.reader ? state.reader->dropped() : 0) + state.tableOverflows;
}

bool gFctIntakeHoldsDatagrams() {
    const Transport& state = transport();
    return state.router && state.router->backlog() > 0;
}

int gFctIntakeReceiveBufferBytes() {
    const Transport& state = transport();
    return state.router ? state.router->receiveBufferBytes() : 0;
}

void gCloseMailSlot() {
    transport().reader.reset();
    pelimo::platform::closeLocalMailslot(gStructureMailslotControl.MailSlotHandle);
    gStructureMailslotControl.MailSlotHandle = kInvalidHandleValue;
    transport().router.reset();
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
        outgoing.channel = pelimo::platform::unicodeToAnsi(gMessageChannel());
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
    // A full queue drops the datagram, as the network would.
    trap.step([&] { outgoingSender().enqueue(std::move(outgoing)); });
}

}  // namespace

void SendToPelimo(const QString& sender, const QString& addressee, const QString& text,
                  pelimo::platform::NameSource source) {
    queueDatagram(sender, addressee, text, source, std::nullopt);
}

void gAnswerMailslotOrigin(const QString& sender, const QString& addressee, const QString& text,
                           const MailslotOrigin& origin) {
    queueDatagram(sender, addressee, text, pelimo::platform::NameSource::Network,
                  origin.network ? std::optional<std::uint32_t>(origin.address) : std::nullopt);
}

bool gFctIsNetworkComputerName(const QString& name) {
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

void gSetMailslotTransportConfig(const MailslotTransportConfig& config) {
    Transport& state = transport();
    state.sender.reset();  // the next datagram starts a sender with the new settings
    state.config = config;
}

const MailslotTransportConfig& gMailslotTransportConfig() {
    return activeConfig();
}

ComputerNameResolver gComputerNameResolver() {
    return [config = activeConfig(), names = transport().names](const QString& name) {
        return pelimo::platform::resolveComputerName(pelimo::platform::unicodeToAnsi(name), config,
                                                     *names);
    };
}

MailslotIntakeFigures gMailslotIntakeFigures() {
    MailslotIntakeFigures figures;
    const MailslotRouter* router = transport().router.get();
    if (router == nullptr)
        return figures;
    figures.readingNmbd = router->isReadingNmbd();
    figures.routing = router->isRouting() || figures.readingNmbd;
    figures.delivered = router->counters().delivered;
    figures.dropped = router->counters().dropped;
    figures.duplicates = router->counters().duplicates;
    return figures;
}

bool gFlushMailslotSends(int timeoutMs) {
    Transport& state = transport();
    return !state.sender || state.sender->flush(timeoutMs);
}

void gResetMailSlot() {
    gCloseMailSlot();
    Transport& state = transport();
    state.sender.reset();
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
