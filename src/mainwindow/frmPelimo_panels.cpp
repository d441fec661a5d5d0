// The panel switch, the count and clock lines, the tray icon, minimising and restoring.
#include <QDateTime>
#include <QLabel>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

#include "desktop/desktop_notifier.h"
#include "desktop/status_notifier_item.h"
#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/history_count_line.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/panel_state.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "transport/mailslot_channel.h"
#include "ui/artwork.h"

namespace {

// The tray icon's tip.
constexpr char kTrayTip[] = "Pelimo by Trelvix";

frmPelimo::TrayAvailability& trayAvailability() {
    static frmPelimo::TrayAvailability availability = [] {
        return StatusNotifierItem::anyShown() ||
               (frmPelimo::isQtTrayUsable() && QSystemTrayIcon::isSystemTrayAvailable());
    };
    return availability;
}

}  // namespace

void frmPelimo::setTrayAvailability(TrayAvailability availability) {
    trayAvailability() = std::move(availability);
}

bool frmPelimo::isTrayAvailable() {
    return trayAvailability() && trayAvailability()();
}

void gDisplayIconTray(frmPelimo* form) {
    ErrorTrap trap(QStringLiteral("ModGlobal"), QStringLiteral("gDisplayIconTray"));
    // The StatusNotifierItem first: whether a watcher runs now decides whether Qt's icon may be
    // shown at all (with a watcher, Qt's icon would be a second item).
    trap.step([form] { form->startStatusNotifierItem(); });
    trap.step([form] {
        if (form->trayIcon != nullptr)
            return;
        form->trayIcon = new QSystemTrayIcon(form);
        // Only real events of the icon act: a click restores, the context menu is the tray menu.
        QObject::connect(form->trayIcon, &QSystemTrayIcon::activated, form,
                         [form](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger)
                                 form->mOpenWindowsTray();
                         });
    });
    trap.step([form] {
        form->trayIcon->setObjectName(QStringLiteral("trayIcon"));
        form->trayIcon->setIcon(form->windowIcon());
        form->trayIcon->setToolTip(QString::fromLatin1(kTrayTip));
        form->trayIcon->setContextMenu(form->MHide);
    });
    trap.step([form] {
        if (frmPelimo::isQtTrayUsable() && frmPelimo::isTrayAvailable())
            form->trayIcon->show();
    });
}

void frmPelimo::mDisplayWindows() {
    TimerTestRead->stop();
    QWidget* shown = nullptr;
    switch (gCurrentPanel) {
        case kPanelSend:
            shown = picSendMessage;
            break;
        case kPanelRead:
            shown = picReadMessage;
            break;
        case kPanelHistoric:
            shown = picHistoric;
            break;
        default:
            return;
    }
    for (QWidget* panel : {picSendMessage, picReadMessage, picHistoric})
        panel->setVisible(panel == shown);
    focusCurrentPanel();
}

void frmPelimo::lblMenuSendMessage_Click() {
    gCurrentPanel = kPanelSend;
    mDisplayWindows();
}

void frmPelimo::lblMenuSendMessage2_Click() {
    lblMenuSendMessage_Click();
}

void frmPelimo::lblMenuReadMessage_Click() {
    gCurrentPanel = kPanelRead;
    mDisplayWindows();
}

void frmPelimo::lblMenuReadMessage2_Click() {
    lblMenuReadMessage_Click();
}

void frmPelimo::mDisplayInfoNbHistoric() {
    QString line = HistoryCountLine::text();
    // Datagrams lost on their way in are told here, so the user knows messages were lost.
    lostShown_ = MailslotIntake::lostDatagrams();
    if (lostShown_ > 0) {
        line += QStringLiteral(" - ") + QString::number(lostShown_) + u' ' +
                gFctGetMessage(Msg::DatagramsLost);
    }
    lblInfo1->setText(line);
}

void frmPelimo::TimerDateTime_Timer() {
    lblDate->setText(MessageDates::clockLine(QDateTime::currentDateTime()));
}

void frmPelimo::mOpenWindowsTray() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void frmPelimo::Form_Resize() {
    // Minimising sends the window to the tray; without a tray it stays minimised, so it can
    // always be found again.
    if (!(windowState() & Qt::WindowMinimized) || !isTrayAvailable())
        return;
    QTimer::singleShot(0, this, [this] {
        if (windowState() & Qt::WindowMinimized)
            hide();
    });
}

void frmPelimo::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    // The user looks at the window: the notification of the messages it shows goes.
    if (event->type() == QEvent::ActivationChange && notifier_ != nullptr && windowInFront())
        notifier_->endBurst();
}

void frmPelimo::mouseMoveEvent(QMouseEvent* event) {
    // Only the highlighting is reset: tray events come from the tray icon itself, never from the
    // pointer's position over the window.
    mColorLabelMenuStop();
    QMainWindow::mouseMoveEvent(event);
}
