// The tray icon as a StatusNotifierItem: its menu is the tray menu, its activation restores the
// window. A watcher that appears after start-up takes the item; the X11 tray icon stands in where
// no host shows it, and a window hidden in a tray that goes away comes back.
#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include "desktop/status_notifier_item.h"
#include "mainwindow/frmPelimo.h"
#include "stores/application.h"

namespace {

constexpr char kTrayTip[] = "Pelimo by Trelvix";

bool& qtTrayUsable() {
    static bool usable = true;
    return usable;
}

// The tray menu's entries as the item's menu shows them: Qt's "&&" is one "&".
QList<TrayMenuEntry> menuEntries(const QMenu* menu) {
    QList<TrayMenuEntry> entries;
    for (const QAction* action : menu->actions())
        entries.append({QString(action->text()).replace(QStringLiteral("&&"), QStringLiteral("&")),
                        action->isEnabled()});
    return entries;
}

}  // namespace

bool frmPelimo::isQtTrayUsable() {
    return qtTrayUsable();
}

void frmPelimo::startStatusNotifierItem() {
    if (statusItem_ != nullptr)
        return;
    // Qt decides once per process, when its first tray icon is made, whether that icon is an
    // item of the watcher or the X11 tray's.
    qtTrayUsable() = !StatusNotifierItem::watcherPresent();
    statusItem_ = new StatusNotifierItem(this);
    statusItem_->setTitle(QString::fromLatin1(kApplicationName));
    statusItem_->setToolTip(QString::fromLatin1(kTrayTip));
    statusItem_->setIcon(windowIcon());
    statusItem_->setMenuEntries(menuEntries(MHide));
    // The entries take the language file's captions after start-up.
    for (QAction* action : MHide->actions()) {
        connect(action, &QAction::changed, statusItem_,
                [this] { statusItem_->setMenuEntries(menuEntries(MHide)); });
    }
    connect(statusItem_, &StatusNotifierItem::menuTriggered, this, [this](int index) {
        if (QAction* action = MHide->actions().value(index))
            action->trigger();
    });
    connect(statusItem_, &StatusNotifierItem::activated, this, &frmPelimo::mOpenWindowsTray);
    connect(statusItem_, &StatusNotifierItem::contextMenuRequested, this,
            [this](const QPoint& at) { MHide->popup(at); });
    connect(statusItem_, &StatusNotifierItem::shownChanged, this, &frmPelimo::trayChanged);
    statusItem_->start();
}

void frmPelimo::trayChanged() {
    const bool viaItem = statusItem_ != nullptr && statusItem_->isShown();
    if (trayIcon != nullptr && !unloaded_) {
        if (viaItem) {
            trayIcon->hide();
        } else if (isQtTrayUsable() && QSystemTrayIcon::isSystemTrayAvailable()) {
            trayIcon->show();
        }
    }
    // A window hidden in a tray that went away could no longer be reached.
    if (!unloaded_ && !isVisible() && !isTrayAvailable())
        mOpenWindowsTray();
}
