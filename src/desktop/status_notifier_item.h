// The tray icon as a StatusNotifierItem on the session bus (KDE, GNOME with the AppIndicator
// extension, most Wayland panels). The item registers with org.kde.StatusNotifierWatcher when
// one runs and again whenever one appears later, so a panel that starts after the program still
// shows it. It is shown while a watcher holds it and a host displays items; activation, the
// context menu request and the menu's clicks are reported from the event loop.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

class DBusMenu;
class SniObject;
class QDBusServiceWatcher;

struct TrayMenuEntry {
    QString label;  // as shown
    bool enabled = true;
    bool operator==(const TrayMenuEntry&) const = default;
};

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    void setTitle(const QString& title);
    void setToolTip(const QString& toolTip);
    void setIcon(const QIcon& icon);
    // The menu's entries; a host showing the menu reads them again.
    void setMenuEntries(const QList<TrayMenuEntry>& entries);

    // Puts the item on the session bus and registers it with the watcher, now or when one
    // appears. Without a session bus nothing happens.
    void start();
    // Takes the item off the bus.
    void stop();
    // A watcher holds the item and a host shows items.
    bool isShown() const { return shown_; }
    QString serviceName() const { return serviceName_; }

    // Whether a StatusNotifierWatcher runs on the session bus now (asks the bus).
    static bool watcherPresent();
    // Whether a host shows any item of the process.
    static bool anyShown();

signals:
    // The host's primary activation (a click on the icon).
    void activated();
    // A host without a menu of its own asks for the context menu at a screen position.
    void contextMenuRequested(const QPoint& position);
    // Entry `index` (0-based) of the menu was clicked.
    void menuTriggered(int index);
    // The item came into view or went out of it.
    void shownChanged(bool shown);

private slots:
    void onHostChanged();

private:
    void registerWithWatcher();
    void askHost();
    void setShown(bool shown);

    SniObject* item_;
    DBusMenu* menu_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QString serviceName_;
    bool started_ = false;
    bool shown_ = false;
};
