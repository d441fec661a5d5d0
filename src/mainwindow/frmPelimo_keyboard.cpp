// The window's keys: the Tab order through the panel bar and each panel, the send panel's boxes,
// Ctrl+Return to send, Enter to read a history row, F2 to F5 for the panel bar's entries, Ctrl+Q
// to quit, and the box that takes the focus when a panel opens.
#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTableView>
#include <initializer_list>

#include "mainwindow/frmPelimo.h"
#include "mainwindow/panel_state.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"
#include "ui/window_keys.h"

namespace {

// Makes Tab go through `controls` in this order.
void tabChain(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

}  // namespace

void frmPelimo::connectKeyboard() {
    WindowKeys::makeEntryBox(txtSendUserList);
    placeAttachmentTabStop();
    // Tab leaves the history grid instead of walking its cells; Enter reads the current row.
    MSFlexGrid1->setTabKeyNavigation(false);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* read = new QShortcut(QKeySequence(key), MSFlexGrid1);
        read->setContext(Qt::WidgetShortcut);
        connect(read, &QShortcut::activated, CmdHistoricRead, &LabelButton::click);
    }
    // Hidden panels drop out of the chain: Tab goes round the panel bar, then the boxes of the
    // panel shown, then its commands.
    tabChain({lblMenuSendMessage,   lblMenuReadMessage,    lblMenuHistoric,     lblMenuAddressBook,
              lblCmdSendSelectUser, txtSendUserList,       txtSendMessage,      txtSendFiles,
              lblCmdSendNow,        lblCmdSendFavori,      lblCmdSendJoin,      lblCmdSendPrint,
              lblCmdSendDel,        txtReceiveMessage,     txtReceiveFiles,     lblLabReceiveAnswer,
              lblLabReceivePrint,   lblLabReceiveSaveFile, MSFlexGrid1,         CmdHistoricRead,
              CmdHistoricDisplay,   CmdHistoricPrint,      lblCmdDeleteHistoric});

    auto onKeys = [this](const QKeySequence& keys, auto handler) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        onKeys(keys, [this] {
            if (gCurrentPanel == kPanelSend)
                lblCmdSendNow->click();
        });
    }
    const std::pair<Qt::Key, LabelButton*> panelKeys[] = {
        {Qt::Key_F2, lblMenuSendMessage},
        {Qt::Key_F3, lblMenuReadMessage},
        {Qt::Key_F4, lblMenuHistoric},
        {Qt::Key_F5, lblMenuAddressBook},
    };
    for (const auto& panelKey : panelKeys) {
        LabelButton* entry = panelKey.second;
        onKeys(QKeySequence(panelKey.first), [entry] { entry->click(); });
    }
    // Quitting asks first, as the menu entry does.
    MenuQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void frmPelimo::focusCurrentPanel() {
    switch (gCurrentPanel) {
        case kPanelSend:
            txtSendUserList->setFocus();
            break;
        case kPanelRead:
            txtReceiveMessage->setFocus();
            break;
        case kPanelHistoric:
            MSFlexGrid1->setFocus();
            break;
        default:
            break;
    }
}
