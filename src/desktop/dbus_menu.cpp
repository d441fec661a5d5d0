#include "desktop/dbus_menu.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QMetaObject>

namespace {

constexpr uint kProtocolVersion = 3;
constexpr char kClickedEvent[] = "clicked";
constexpr int kRootId = 0;
// Nesting a host may announce when reading a layout back; a flat menu never gets near it.
constexpr int kMaxLayoutDepth = 8;

// Labels on the bus mark a mnemonic with "_": a literal one is doubled.
QString busLabel(const QString& label) {
    return QString(label).replace(u'_', QStringLiteral("__"));
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

namespace {

void readLayout(const QDBusArgument& argument, DBusMenuLayoutItem& item, int depth) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        if (depth < kMaxLayoutDepth && child.variant().canConvert<QDBusArgument>()) {
            DBusMenuLayoutItem childItem;
            readLayout(child.variant().value<QDBusArgument>(), childItem, depth + 1);
            item.children.append(childItem);
        }
    }
    argument.endArray();
    argument.endStructure();
}

}  // namespace

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item) {
    readLayout(argument, item, 0);
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemKeys& keys) {
    argument.beginStructure();
    argument << keys.id << keys.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemKeys& keys) {
    argument.beginStructure();
    argument >> keys.id >> keys.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event) {
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event) {
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

void DBusMenu::registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItem>();
        qDBusRegisterMetaType<DBusMenuItemList>();
        qDBusRegisterMetaType<DBusMenuItemKeys>();
        qDBusRegisterMetaType<DBusMenuItemKeysList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEventList>();
        return true;
    }();
    (void)registered;
}

DBusMenu::DBusMenu(QObject* parent) : QObject(parent) {
    DBusMenu::registerTypes();
}

void DBusMenu::setEntries(const QList<TrayMenuEntry>& entries) {
    if (entries == entries_)
        return;
    entries_ = entries;
    ++revision_;
    emit LayoutUpdated(revision_, kRootId);
}

uint DBusMenu::version() const {
    return kProtocolVersion;
}

QString DBusMenu::textDirection() const {
    return QStringLiteral("ltr");
}

QString DBusMenu::status() const {
    return QStringLiteral("normal");
}

QVariantMap DBusMenu::properties(int id, const QStringList& names) const {
    QVariantMap all;
    if (id == kRootId) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else {
        const TrayMenuEntry& entry = entries_.at(id - 1);
        all.insert(QStringLiteral("label"), busLabel(entry.label));
        all.insert(QStringLiteral("enabled"), entry.enabled);
        all.insert(QStringLiteral("visible"), true);
    }
    if (names.isEmpty())
        return all;
    QVariantMap wanted;
    for (const QString& name : names) {
        if (all.contains(name))
            wanted.insert(name, all.value(name));
    }
    return wanted;
}

void DBusMenu::refuseUnknown(int id) {
    if (calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("The menu has no entry %1").arg(id));
    }
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                         DBusMenuLayoutItem& layout) {
    if (!known(parentId)) {
        refuseUnknown(parentId);
        return revision_;
    }
    layout = {parentId, properties(parentId, propertyNames), {}};
    if (parentId == kRootId && recursionDepth != 0) {
        for (int id = 1; id <= entries_.size(); ++id)
            layout.children.append({id, properties(id, propertyNames), {}});
    }
    return revision_;
}

DBusMenuItemList DBusMenu::GetGroupProperties(const QList<int>& ids,
                                              const QStringList& propertyNames) {
    DBusMenuItemList items;
    for (const int id : ids) {
        if (known(id))
            items.append({id, properties(id, propertyNames)});
    }
    return items;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
    if (!known(id)) {
        refuseUnknown(id);
        return {};
    }
    return QDBusVariant(properties(id, {}).value(name));
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp) {
    (void)data;
    (void)timestamp;
    if (eventId != QLatin1String(kClickedEvent) || id == kRootId || !known(id))
        return;
    if (!entries_.at(id - 1).enabled)
        return;
    // The command may open a modal window: the host gets its answer first.
    QMetaObject::invokeMethod(
        this, [this, index = id - 1] { emit triggered(index); }, Qt::QueuedConnection);
}

QList<int> DBusMenu::EventGroup(const DBusMenuEventList& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& event : events) {
        if (known(event.id)) {
            Event(event.id, event.eventId, event.data, event.timestamp);
        } else {
            unknown.append(event.id);
        }
    }
    return unknown;
}

bool DBusMenu::AboutToShow(int id) {
    (void)id;
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (const int id : ids) {
        if (!known(id))
            idErrors.append(id);
    }
    return {};
}
