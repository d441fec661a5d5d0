#include "desktop/desktop_notifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include "stores/application.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr char kDesktopEntry[] = "pelimo";
constexpr char kIconName[] = "pelimo";
constexpr char kCategory[] = "im.received";
constexpr uchar kNormalUrgency = 1;
constexpr int kServerDefaultTimeout = -1;
constexpr int kIconSize = 48;
constexpr int kWithdrawWaitMs = 300;

// The "image-data" hint: raw RGBA rows.
struct NotificationImage {
    QImage image;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& icon) {
    const QImage rgba = icon.image.convertToFormat(QImage::Format_RGBA8888);
    argument.beginStructure();
    argument << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8
             << 4
             << QByteArray(reinterpret_cast<const char*>(rgba.constBits()),
                           static_cast<qsizetype>(rgba.sizeInBytes()));
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage& icon) {
    // Never read back: the bus only carries it to the server.
    icon = {};
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(NotificationImage)

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<NotificationImage>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QString service = QString::fromLatin1(kService);
    bus.connect(service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(quint32, QString)));
    bus.connect(service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                QStringLiteral("NotificationClosed"), this,
                SLOT(onNotificationClosed(quint32, quint32)));
    // Another server (or none) takes over: what we knew of the old one no longer holds.
    serverWatcher_ =
        new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(serverWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DesktopNotifier::forgetServer);
}

void DesktopNotifier::notifyArrival(const ArrivedMessage& newest, int messagesInTick,
                                    const QImage& icon) {
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    burstCount_ += std::max(messagesInTick, 1);
    // Only the newest waits: a tick whose notification has not gone out yet is replaced.
    pending_ = Request{newest, icon};
    flush();
}

void DesktopNotifier::flush() {
    if (busy_ || !pending_)
        return;
    if (!capabilities_) {
        askCapabilities();
        return;
    }
    const Request request = *pending_;
    pending_.reset();
    post(request);
}

void DesktopNotifier::askCapabilities() {
    busy_ = true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("GetCapabilities"));
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                busy_ = false;
                const QDBusPendingReply<QStringList> reply = *finished;
                if (reply.isError()) {
                    // No server: the request is dropped; the next message asks again.
                    pending_.reset();
                    forgetServer();
                    return;
                }
                capabilities_ = reply.value();
                flush();
            });
}

void DesktopNotifier::post(const Request& request) {
    const NotificationTexts texts{gFctGetMessage(Msg::OpenWindow), gFctGetMessage(Msg::Reply),
                                  gFctGetMessage(Msg::MessagesReceived)};
    const NotificationPayload payload =
        NotificationPayload::build(request.newest, burstCount_, *capabilities_, texts);
    QVariantMap hints{
        {QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntry)},
        {QStringLiteral("category"), QString::fromLatin1(kCategory)},
        {QStringLiteral("urgency"), QVariant::fromValue(kNormalUrgency)},
    };
    if (!request.icon.isNull()) {
        hints.insert(QStringLiteral("image-data"),
                     QVariant::fromValue(NotificationImage{request.icon.scaled(
                         kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)}));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    call << QString::fromLatin1(kApplicationName) << currentId_ << QString::fromLatin1(kIconName)
         << payload.summary << payload.body << payload.actions << hints << kServerDefaultTimeout;
    busy_ = true;
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, burst = burst_](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                busy_ = false;
                const QDBusPendingReply<quint32> reply = *finished;
                if (reply.isError()) {
                    forgetServer();
                    return;
                }
                // The burst ended while the server answered: its notification goes too.
                if (burst != burst_) {
                    close(reply.value());
                } else {
                    currentId_ = reply.value();
                }
                flush();
            });
}

void DesktopNotifier::endBurst() {
    finishBurst(false);
}

void DesktopNotifier::withdraw() {
    finishBurst(true);
}

void DesktopNotifier::finishBurst(bool wait) {
    ++burst_;
    burstCount_ = 0;
    pending_.reset();
    if (currentId_ != 0)
        close(currentId_, wait);
    currentId_ = 0;
}

void DesktopNotifier::close(quint32 id, bool wait) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("CloseNotification"));
    call << id;
    if (wait) {
        QDBusConnection::sessionBus().call(call, QDBus::Block, kWithdrawWaitMs);
    } else {
        QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    }
}

void DesktopNotifier::forgetServer() {
    capabilities_.reset();
    currentId_ = 0;
    burstCount_ = 0;
}

void DesktopNotifier::onActionInvoked(quint32 id, const QString& key) {
    if (id == 0 || id != currentId_)
        return;
    // Acting on the notification ends its burst; the server closes it.
    currentId_ = 0;
    burstCount_ = 0;
    ++burst_;
    if (key == QLatin1String(kNotificationOpenAction)) {
        emit openRequested();
    } else if (key == QLatin1String(kNotificationReplyAction)) {
        emit replyRequested();
    }
}

void DesktopNotifier::onNotificationClosed(quint32 id, quint32 reason) {
    (void)reason;
    if (id == 0 || id != currentId_)
        return;
    currentId_ = 0;
    burstCount_ = 0;
}
