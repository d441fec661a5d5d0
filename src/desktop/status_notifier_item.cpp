#include "desktop/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <atomic>

#include "desktop/dbus_menu.h"
#include "desktop/sni_object.h"

namespace {

constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
constexpr char kWatcherInterface[] = "org.kde.StatusNotifierWatcher";
constexpr char kItemPath[] = "/StatusNotifierItem";
constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";

std::atomic<int> gShownItems{0};

QDBusMessage watcherCall(const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(kWatcherService),
                                          QString::fromLatin1(kWatcherPath), interface, method);
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent), item_(new SniObject(this)), menu_(new DBusMenu(this)) {
    // One name per item of the process, as hosts expect: org.kde.StatusNotifierItem-PID-N.
    static std::atomic<int> items{0};
    serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(++items);
    connect(item_, &SniObject::activated, this, &StatusNotifierItem::activated);
    connect(item_, &SniObject::contextMenuRequested, this,
            &StatusNotifierItem::contextMenuRequested);
    connect(menu_, &DBusMenu::triggered, this, &StatusNotifierItem::menuTriggered);
}

StatusNotifierItem::~StatusNotifierItem() {
    // Its owner may be going too: nobody is told any more.
    blockSignals(true);
    stop();
}

bool StatusNotifierItem::anyShown() {
    return gShownItems.load() > 0;
}

bool StatusNotifierItem::watcherPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcherService)).value();
}

void StatusNotifierItem::setTitle(const QString& title) {
    item_->setTitle(title);
}

void StatusNotifierItem::setToolTip(const QString& toolTip) {
    item_->setToolTip(toolTip);
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
    item_->setIcon(icon);
}

void StatusNotifierItem::setMenuEntries(const QList<TrayMenuEntry>& entries) {
    menu_->setEntries(entries);
}

void StatusNotifierItem::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (started_ || !bus.isConnected())
        return;
    const auto exported = QDBusConnection::ExportScriptableContents;
    if (!bus.registerObject(QString::fromLatin1(kItemPath), item_, exported) ||
        !bus.registerObject(QString::fromLatin1(kSniMenuPath), menu_, exported)) {
        bus.unregisterObject(QString::fromLatin1(kItemPath));
        return;
    }
    bus.registerService(serviceName_);
    started_ = true;
    watcher_ = new QDBusServiceWatcher(QString::fromLatin1(kWatcherService), bus,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty()) {
                    setShown(false);
                } else {
                    registerWithWatcher();
                }
            });
    const QString service = QString::fromLatin1(kWatcherService);
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
        bus.connect(service, QString::fromLatin1(kWatcherPath),
                    QString::fromLatin1(kWatcherInterface), QString::fromLatin1(signal), this,
                    SLOT(onHostChanged()));
    }
    registerWithWatcher();
}

void StatusNotifierItem::stop() {
    if (!started_)
        return;
    started_ = false;
    delete watcher_;
    watcher_ = nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kSniMenuPath));
    bus.unregisterObject(QString::fromLatin1(kItemPath));
    bus.unregisterService(serviceName_);
    setShown(false);
}

void StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call = watcherCall(QString::fromLatin1(kWatcherInterface),
                                    QStringLiteral("RegisterStatusNotifierItem"));
    call << serviceName_;
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (!started_)
                    return;
                // No watcher yet: the service watcher calls again when one appears.
                if (QDBusPendingReply<>(*finished).isError()) {
                    setShown(false);
                    return;
                }
                askHost();
            });
}

void StatusNotifierItem::askHost() {
    QDBusMessage call =
        watcherCall(QString::fromLatin1(kPropertiesInterface), QStringLiteral("Get"));
    call << QString::fromLatin1(kWatcherInterface)
         << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *finished;
                setShown(started_ && !reply.isError() && reply.value().variant().toBool());
            });
}

void StatusNotifierItem::onHostChanged() {
    if (started_)
        askHost();
}

void StatusNotifierItem::setShown(bool shown) {
    if (shown_ == shown)
        return;
    shown_ = shown;
    gShownItems += shown ? 1 : -1;
    emit shownChanged(shown);
}
