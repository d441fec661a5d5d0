// The object a StatusNotifierItem puts on the bus at /StatusNotifierItem: the properties a host
// reads (title, icon pixmaps, tool tip, menu path) and the methods it calls. Calls are handed to
// the event loop, never run while the host waits for its answer. Used by StatusNotifierItem only.
#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>

struct SniIconPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;  // ARGB32, network byte order
};
using SniIconPixmapList = QList<SniIconPixmap>;

struct SniToolTip {
    QString iconName;
    SniIconPixmapList iconPixmap;
    QString title;
    QString description;
};

Q_DECLARE_METATYPE(SniIconPixmap)
Q_DECLARE_METATYPE(SniToolTip)

class SniObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ emptyName)
    Q_PROPERTY(SniIconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName)
    Q_PROPERTY(SniIconPixmapList OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ emptyName)
    Q_PROPERTY(SniIconPixmapList AttentionIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionMovieName READ emptyName)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    // Makes the item's types known to QtDBus (once per process).
    static void registerTypes();

    explicit SniObject(QObject* parent = nullptr);

    void setTitle(const QString& title);
    void setToolTip(const QString& toolTip);
    void setIcon(const QIcon& icon);

    QString category() const;
    QString id() const;
    QString title() const { return title_; }
    QString status() const;
    int windowId() const { return 0; }
    QString emptyName() const { return {}; }
    SniIconPixmapList iconPixmap() const { return icon_; }
    SniIconPixmapList noPixmap() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const;

public slots:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

signals:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString& status);
    void activated();
    void contextMenuRequested(const QPoint& position);

private:
    QString title_;
    QString toolTip_;
    SniIconPixmapList icon_;
};

inline constexpr char kSniMenuPath[] = "/MenuBar";
