// The menu bar, the pop-up menus, and the wiring of the window's commands.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "addressbook/frmAddressBook.h"
#include "mainwindow/frmPelimo.h"
#include "ui/label_button.h"
#include "ui/label_button_tables.h"

namespace {

QAction* entry(QMenu* menu, const char* name) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* popUp(QWidget* owner, const char* name) {
    auto* menu = new QMenu(owner);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

}  // namespace

void frmPelimo::buildMenus() {
    // The two menus of the bar keep their fixed captions.
    MenuFile = menuBar()->addMenu(QStringLiteral("File"));
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuSetting = entry(MenuFile, "MenuSetting");
    MenuQuit = entry(MenuFile, "MenuQuit");
    MenuHelp = menuBar()->addMenu(QStringLiteral("?"));
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    MenuAide = entry(MenuHelp, "MenuAide");
    MenuAbout = entry(MenuHelp, "MenuAbout");

    // Pop-up menus, never shown in the bar: the tray menu, the history sort and delete menus.
    MHide = popUp(this, "MHide");
    MHideAbout = entry(MHide, "MHideAbout");
    MHideOpen = entry(MHide, "MHideOpen");
    MHideQuit = entry(MHide, "MHideQuit");
    MTri = popUp(this, "MTri");
    MTriSender = entry(MTri, "MTriSender");
    MTriDate = entry(MTri, "MTriDate");
    MHide2 = popUp(this, "MHide2");
    MHide2DelOne = entry(MHide2, "MHide2DelOne");
    MHide2DelAll = entry(MHide2, "MHide2DelAll");
}

void frmPelimo::connectHandlers() {
    connect(lblMenuSendMessage, &LabelButton::clicked, this, &frmPelimo::lblMenuSendMessage_Click);
    connect(lblMenuSendMessage2, &LabelButton::clicked, this,
            &frmPelimo::lblMenuSendMessage2_Click);
    connect(lblMenuReadMessage, &LabelButton::clicked, this, &frmPelimo::lblMenuReadMessage_Click);
    connect(lblMenuReadMessage2, &LabelButton::clicked, this,
            &frmPelimo::lblMenuReadMessage2_Click);
    connect(lblMenuAddressBook, &LabelButton::clicked, this, &frmPelimo::lblMenuAddressBook_Click);
    connect(lblCmdSendSelectUser, &LabelButton::clicked, this,
            &frmPelimo::lblCmdSendSelectUser_Click);
    connect(MenuQuit, &QAction::triggered, this, &frmPelimo::MenuQuit_Click);
    connect(MenuAide, &QAction::triggered, this, &frmPelimo::MenuAide_Click);
    connect(MHideOpen, &QAction::triggered, this, &frmPelimo::MHideOpen_Click);
    connect(MHideQuit, &QAction::triggered, this, &frmPelimo::MHideQuit_Click);

    connect(TimerMailSlot, &QTimer::timeout, this, &frmPelimo::TimerMailSlot_Timer);
    connect(TimerDateTime, &QTimer::timeout, this, &frmPelimo::TimerDateTime_Timer);
    connect(TimerTestRead, &QTimer::timeout, this, &frmPelimo::TimerTestRead_Timer);

    connect(lblCmdSendNow, &LabelButton::clicked, this, &frmPelimo::lblCmdSendNow_Click);
    connect(lblCmdSendDel, &LabelButton::clicked, this, &frmPelimo::lblCmdSendDel_Click);
    connect(lblLabReceiveAnswer, &LabelButton::clicked, this,
            &frmPelimo::lblLabReceiveAnswer_Click);
    lblLabReceiveFrom->installEventFilter(this);
    connectHistoricHandlers();
    connectAttachmentHandlers();

    connect(lblCmdSendFavori, &LabelButton::clicked, this, &frmPelimo::lblCmdSendFavori_Click);
    connect(MenuSetting, &QAction::triggered, this, &frmPelimo::MenuSetting_Click);
    connect(MenuAbout, &QAction::triggered, this, &frmPelimo::MenuAbout_Click);
    connect(MHideAbout, &QAction::triggered, this, &frmPelimo::MHideAbout_Click);
    LabelButtons::install(this, LabelButtonTables::mainWindow());
    connectAddresseeDiagnosis();
    connectKeyboard();
}

void frmPelimo::mColorLabelMenuStop() {
    LabelButtons::runReset(this, "mColorLabelMenuStop");
}

void frmPelimo::lblMenuAddressBook_Click() {
    AddressBookWindow::show(this);
}

void frmPelimo::MenuQuit_Click() {
    close();
}

void frmPelimo::MenuAide_Click() {}

void frmPelimo::MHideOpen_Click() {
    mOpenWindowsTray();
}

void frmPelimo::MHideQuit_Click() {
    close();
}
