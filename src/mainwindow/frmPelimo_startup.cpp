// Start-up, the window's texts, and the shutdown.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTimer>

#include "attachments/network_copy.h"
#include "desktop/desktop_notifier.h"
#include "desktop/status_notifier_item.h"
#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/panel_state.h"
#include "mainwindow/send_rules.h"
#include "platform/atomic_file.h"
#include "seam/dialog_seam.h"
#include "sound/wave_player.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "ui/accessible_names.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"
#include "ui/window_parts.h"

namespace {

frmPelimo::StepProbe& stepProbe() {
    static frmPelimo::StepProbe probe;
    return probe;
}

}  // namespace

void frmPelimo::setStepProbe(StepProbe probe) {
    stepProbe() = std::move(probe);
}

template <class Statement>
void frmPelimo::runStep(ErrorTrap& trap, const char* name, Statement&& statement) {
    trap.step([&] {
        if (stepProbe())
            stepProbe()(QString::fromLatin1(name));
        statement();
    });
}

void frmPelimo::Form_Load() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("Form_Load"));
    const auto step = [this, &trap](const char* name, auto&& statement) {
        runStep(trap, name, statement);
    };
    step("topmost", [this] { setWindowFlag(Qt::WindowStaysOnTopHint, true); });
    step("gDisplayIconTray", [this] { gDisplayIconTray(this); });
    step("ContactList.Count", [] { ContactList.Count = 0; });
    step("gApplicationFolder", [] {
        // Tests give the folder beforehand; the program takes the executable's.
        if (gApplicationFolder.isEmpty())
            Application::initFolder();
    });
    step("gLoadSettingsIni", [] { gLoadSettingsIni(); });
    step("gLoadLanguageFile", [] { gLoadLanguageFile(Settings.FileLanguage); });
    step("gFctLoadUserIni", [] { gFctLoadUserIni(); });
    step("gFctGetComputerName", [] {
        if (gFctGetComputerName(gComputerName) == 0) {
            LanguageBox::show(Msg::NoComputerName, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
        }
    });
    step("gClearCurrentMessage", [] { gClearCurrentMessage(); });
    step("gLoadHistoric", [] { gLoadHistoric(); });
    step("gFctInitMailSlot", [] {
        gInitMailslotControl();
        // The copy that holds the folder's lock receives and keeps the history; another copy on
        // the same folder only sends, so that it never overwrites what the first one received.
        if (!HistoryStore::lock()) {
            LanguageBox::show(Msg::AnotherCopyRunning, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
            return;
        }
        // What an interrupted save of an earlier run left beside the stores.
        pelimo::platform::removeStaleTemporaryFiles(
            {gApplicationFolder + QString::fromLatin1(kHistoryFileName),
             gApplicationFolder + QString::fromLatin1(kUserFileName),
             gApplicationFolder + QString::fromLatin1(kSettingsFileName)});
        // Without a mailslot the program runs without receiving, and says why.
        if (!gFctInitMailSlot() && !MailslotChannel::failure().isEmpty()) {
            LanguageBox::showText(MailslotChannel::failure(), MsgBoxButtons::Ok,
                                  MsgBoxIcon::Exclamation);
        }
    });
    step("mInitInterface", [this] { mInitInterface(); });
    step("mDisplayLanguage", [this] { mDisplayLanguage(); });
    step("mDisplayInfoNbHistoric", [this] { mDisplayInfoNbHistoric(); });
    step("mDisplayWindows", [this] {
        gCurrentPanel = kPanelSend;
        mDisplayWindows();
    });
    step("timers", [this] {
        TimerDateTime_Timer();
        TimerMailSlot->start();
        TimerDateTime->start();
    });
}

void frmPelimo::mInitInterface() {
    txtSendUserList->clear();
    txtSendMessage->clear();
    txtSendMessage->setMaxLength(kMaxMessageLength);
    txtReceiveMessage->clear();
}

void frmPelimo::mDisplayLanguage() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("mDisplayLanguage"));
    using namespace Msg;
    trap.step([this] { setWindowTitle(Application::title()); });
    const std::pair<QLabel*, int> captions[] = {
        {lblMenuSendMessage, SendPanel},   {lblMenuReadMessage, ReadPanel},
        {lblMenuHistoric, HistoryPanel},   {lblMenuAddressBook, AddressBook},
        {lblLabSendTitle, SendPanel},      {lblCmdSendNow, SendNow},
        {lblCmdSendFavori, Favorites},     {lblCmdSendJoin, Attach},
        {lblCmdSendPrint, Print},          {lblCmdSendDel, Erase},
        {lblCmdSendSelectUser, SendTo},    {lblLabSendFiles, Attach},
        {lblLabReceiveTitle, ReadPanel},   {lblLabReceiveAnswer, Reply},
        {lblLabReceivePrint, Print},       {lblLabReceiveSaveFile, Save},
        {lblLabReceiveFrom, ReceivedFrom}, {lblLabReceiveSendTo, SendTo},
    };
    for (const auto& caption : captions) {
        trap.step([&caption] { caption.first->setText(gFctGetMessage(caption.second)); });
    }
    trap.step([this] { WindowParts::setLanguageText(lblTagline, Tagline); });
    trap.step([this] { lblLabReceiveDate->clear(); });
    trap.step([this] { displaySendSize(); });
    const std::pair<QLabel*, int> historicCaptions[] = {
        {Label5, HistoryPanel},
        {CmdHistoricRead, HistoryRead},
        {CmdHistoricDisplay, HistorySort},
        {CmdHistoricPrint, Print},
        {lblCmdDeleteHistoric, Erase},
    };
    for (const auto& caption : historicCaptions) {
        trap.step([&caption] { caption.first->setText(gFctGetMessage(caption.second)); });
    }
    const std::pair<QAction*, int> entries[] = {
        {MenuSetting, Preferences}, {MenuQuit, Quit},           {MenuAide, Help},
        {MenuAbout, About},         {MTriSender, SortBySender}, {MTriDate, SortByDate},
        {MHideAbout, About},        {MHideOpen, OpenWindow},    {MHideQuit, Quit},
        {MHide2DelOne, DeleteOne},  {MHide2DelAll, DeleteAll},
    };
    for (const auto& entry : entries) {
        // Menu captions are shown as they are: an "&" is no accelerator.
        trap.step([&entry] {
            entry.first->setText(gFctGetMessage(entry.second).replace(u'&', QStringLiteral("&&")));
        });
    }
    trap.step([this] { AccessibleNames::apply(this, AccessibleNames::mainWindow()); });
}

bool frmPelimo::Form_Unload(bool askConfirmation) {
    if (unloaded_)
        return true;
    if (askConfirmation) {
        const MsgBoxResult answer =
            LanguageBox::show(Msg::ConfirmQuit, MsgBoxButtons::OkCancel, MsgBoxIcon::None);
        // A termination signal may have shut down while the question was open.
        if (unloaded_)
            return true;
        if (answer != MsgBoxResult::Ok)
            return false;
    }
    unloaded_ = true;
    // A copy of an attached file would otherwise hold the end back until its last byte.
    NetworkCopy::cancelAll();
    // Each step runs even when an earlier one failed, so the history is always written.
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("Form_Unload"));
    const auto step = [this, &trap](const char* name, auto&& statement) {
        runStep(trap, name, statement);
    };
    step("trayIcon", [this] {
        if (trayIcon != nullptr)
            trayIcon->hide();
        if (statusItem_ != nullptr)
            statusItem_->stop();
        if (notifier_ != nullptr)
            notifier_->withdraw();
    });
    step("timers", [this] {
        TimerMailSlot->stop();
        TimerDateTime->stop();
        TimerTestRead->stop();
    });
    step("gCloseWave", [] { gCloseWave(); });
    step("gCloseMailSlot", [this] {
        // What the host accepted is stored before the mailslot goes.
        drainMailSlot();
        gCloseMailSlot();
    });
    step("gSaveHistoric", [] { gSaveHistoric(); });
    step("otherWindows", [this] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != this && window->isVisible())
                window->close();
        }
    });
    emit shutdownFinished();
    return true;
}

void frmPelimo::shutdownWithoutQuestion() {
    Form_Unload(false);
    close();
}

void frmPelimo::closeEvent(QCloseEvent* event) {
    if (!Form_Unload(true)) {
        event->ignore();
        return;
    }
    event->accept();
}
