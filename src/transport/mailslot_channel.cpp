#include "transport/mailslot_channel.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "errorreport/error_trap.h"
#include "platform/ansi_codec.h"
#include "platform/computer_identity.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_router.h"
#include "platform/mailslot_sender.h"
#include "platform/udp_port_holder.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "ui/dialog_seam.h"

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
    std::unique_ptr<MailslotSender> sender;
    bool privilegeExplained = false;

    std::mutex identityMutex;  // the sender thread may ask for the workgroup
    QString localName;
    QString workgroup;

    ~Transport() {
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
        pelimo::platform::closeLocalMailslot(gStructureMailslotControl.MailSlotHandle);
        gStructureMailslotControl.MailSlotHandle = kInvalidHandleValue;
        gStructureMailslotControl.MailSlotHandle = pelimo::platform::createLocalMailslot(
            pelimo::platform::unicodeToAnsi(gMessageChannel()));
        if (gStructureMailslotControl.MailSlotHandle == kInvalidHandleValue)
            return false;
        startNetworkIntake();
        return true;
    } catch (...) {
        showAlert(kInitFailedText);
        return false;
    }
}

qint32 gFctScanMailSlot() {
    try {
        const int handle = gStructureMailslotControl.MailSlotHandle;
        const pelimo::platform::LocalMailslotInfo info =
            pelimo::platform::queryLocalMailslot(handle);
        if (!info.ok)
            return -1;
        if (info.waiting == 0)
            return 0;
        // The handle stays open: further waiting messages are read by the following scans.
        const auto message = pelimo::platform::readLocalMailslot(handle, info.nextSize);
        // A zero-length message has been read and is dropped.
        if (!message || message->isEmpty())
            return 0;
        QString sender;
        QString addressee;
        QString text;
        cutFields(*message, sender, addressee, text);
        gAddMessageToMailslotControl(sender, addressee, text);
        return 1;
    } catch (...) {
        showAlert(kScanFailedText);
        return 0;
    }
}

void gAddMessageToMailslotControl(const QString& sender, const QString& addressee,
                                  const QString& text) {
    MailslotControlData& control = gStructureMailslotControl;
    try {
        const qsizetype listSize = static_cast<qsizetype>(control.MessageCount) + 2;
        control.SenderList.resize(listSize);
        control.AddresseeList.resize(listSize);
        control.TextList.resize(listSize);
        ++control.MessageCount;
        control.SenderList[control.MessageCount] = sender;
        control.AddresseeList[control.MessageCount] = addressee;
        control.TextList[control.MessageCount] = text;
    } catch (...) {
        showAlert(kAddFailedText, MsgBoxIcon::Exclamation, kInformationTitle);
    }
}

void gInitMailslotControl() {
    gStructureMailslotControl.MessageCount = 0;
    gStructureMailslotControl.SenderList.clear();
    gStructureMailslotControl.AddresseeList.clear();
    gStructureMailslotControl.TextList.clear();
}

void gCloseMailSlot() {
    pelimo::platform::closeLocalMailslot(gStructureMailslotControl.MailSlotHandle);
    gStructureMailslotControl.MailSlotHandle = kInvalidHandleValue;
    transport().router.reset();
}

void SendToPelimo(const QString& sender, const QString& addressee, const QString& text) {
    ErrorTrap trap(QString::fromLatin1(kModuleName), QStringLiteral("SendToPelimo"));
    if (addressee.isEmpty())
        return;  // no computer to write to
    pelimo::platform::OutgoingMailslotMessage outgoing;
    trap.step([&] {
        outgoing.sender = pelimo::platform::unicodeToAnsi(sender);
        outgoing.addressee = pelimo::platform::unicodeToAnsi(addressee);
        outgoing.channel = pelimo::platform::unicodeToAnsi(gMessageChannel());
        outgoing.ownComputerName = pelimo::platform::unicodeToAnsi(ownComputerName());
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
    trap.step([&] { outgoingSender().enqueue(std::move(outgoing)); });
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
