// Start-up, the window's layout and texts, the panel bar, the tray, and the shutdown.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <stdexcept>

#include "errorreport/error_record.h"
#include "errorreport/runtime_error.h"
#include "main_window_fixture.h"
#include "mainwindow/panel_state.h"
#include "mainwindow/termination_signals.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

using StartupTest = MainWindowTest;

const QStringList kStartupOrder{"topmost",
                                "gDisplayIconTray",
                                "ContactList.Count",
                                "gApplicationFolder",
                                "gLoadSettingsIni",
                                "gLoadLanguageFile",
                                "gFctLoadUserIni",
                                "gFctGetComputerName",
                                "gClearCurrentMessage",
                                "gLoadHistoric",
                                "gFctInitMailSlot",
                                "mInitInterface",
                                "mDisplayLanguage",
                                "mDisplayInfoNbHistoric",
                                "mDisplayWindows",
                                "timers"};

TEST_F(StartupTest, StepsRunInOrderAndAFailingStepIsReportedThenTheNextRuns) {
    writeContacts({{"Alice", "PC7", "", ""}});
    writeHistory({kStateUnread});
    QStringList steps;
    frmPelimo::setStepProbe([&steps](const QString& step) {
        steps.append(step);
        if (step == QStringLiteral("gFctLoadUserIni"))
            RunTimeError::raise(RunTimeErrorNumber::FileNotFound);
    });
    frmPelimo& window = start();
    EXPECT_EQ(steps, kStartupOrder);
    ASSERT_EQ(reportsShown(), 1);
    EXPECT_EQ(ErrorRecord.ErrorModule, QStringLiteral("frmPelimo"));
    EXPECT_EQ(ErrorRecord.ErrorProcedure, QStringLiteral("Form_Load"));
    EXPECT_EQ(ErrorRecord.ErrorNumber, 53);
    EXPECT_EQ(ErrorRecord.ErrorLine, 7);
    // The failed step did nothing; everything after it did its work.
    EXPECT_EQ(ContactList.Count, 0);
    EXPECT_EQ(HistoryList.Count, 1);
    EXPECT_NE(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pelimo V1.0"));
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 1 T54  1 T55"));
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_TRUE(part<QTimer>(window, "TimerMailSlot")->isActive());
}

TEST_F(StartupTest, EveryStepFailingStillShowsTheWindow) {
    int failures = 0;
    frmPelimo::setStepProbe([&failures](const QString&) {
        ++failures;
        throw std::runtime_error("broken");
    });
    frmPelimo& window = start();
    EXPECT_EQ(failures, kStartupOrder.size());
    EXPECT_EQ(reportsShown(), kStartupOrder.size());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(StartupTest, StartingWithDefaultsWritesNothingAndShowsTheSendPanel) {
    folder_.write(QStringLiteral("Settings.ini"),
                  "[Setting]\r\nMessageChannel=" + channel_.toLatin1() + "\r\n");
    frmPelimo& window = start();
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_FALSE(folder_.exists(QStringLiteral("Histo.dat")));
    EXPECT_FALSE(folder_.exists(QStringLiteral("User.dat")));
    EXPECT_EQ(gCurrentPanel, kPanelSend);
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picReadMessage")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picHistoric")->isVisible());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->maxLength(), 424);
    EXPECT_TRUE(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText().isEmpty());
    EXPECT_FALSE(part<QLabel>(window, "lblDate")->text().isEmpty());
}

TEST_F(StartupTest, MalformedStoresNeverStopStartUp) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 256));
    folder_.write(QStringLiteral("Histo.dat"), "\"unterminated\r\n12x\r\n" + garbage);
    folder_.write(QStringLiteral("User.dat"), "[UserSetting]\r\nUserNumber=-5\r\n" + garbage);
    folder_.write(QStringLiteral("orglng.lng"), "[Langage]\r\nNbMessage=99999999999\r\n" + garbage);
    frmPelimo& window = start();
    EXPECT_EQ(reportsShown(), 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_TRUE(part<QTimer>(window, "TimerMailSlot")->isActive());
    EXPECT_GE(ContactList.Count, 0);
    EXPECT_LE(ContactList.Count, kMaxContacts);
}

// The send box shows where to type; the read panel's date strip sits above its text box.
TEST_F(StartupTest, TextBoxesAreFramedAndUncovered) {
    frmPelimo& window = start();
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->frameShadow(), QFrame::Sunken);
    EXPECT_NE(part<LimitedTextBox>(window, "txtSendMessage")->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(part<QLabel>(window, "lblLabReceiveDate")
                     ->geometry()
                     .intersects(part<QPlainTextEdit>(window, "txtReceiveMessage")->geometry()));
}

TEST_F(StartupTest, CaptionsComeFromTheLanguageFile) {
    frmPelimo& window = start();
    const std::pair<QLabel*, const char*> labels[] = {
        {part<LabelButton>(window, "lblMenuSendMessage"), "T46"},
        {part<LabelButton>(window, "lblMenuReadMessage"), "T47"},
        {part<LabelButton>(window, "lblMenuHistoric"), "T48"},
        {part<LabelButton>(window, "lblMenuAddressBook"), "T49"},
        {part<QLabel>(window, "lblLabSendTitle"), "T46"},
        {part<LabelButton>(window, "lblCmdSendNow"), "T4"},
        {part<LabelButton>(window, "lblCmdSendFavori"), "T5"},
        {part<LabelButton>(window, "lblCmdSendJoin"), "T6"},
        {part<LabelButton>(window, "lblCmdSendPrint"), "T7"},
        {part<LabelButton>(window, "lblCmdSendDel"), "T8"},
        {part<LabelButton>(window, "lblCmdSendSelectUser"), "T3"},
        {part<QLabel>(window, "lblLabSendFiles"), "T6"},
        {part<QLabel>(window, "lblLabReceiveTitle"), "T47"},
        {part<LabelButton>(window, "lblLabReceiveAnswer"), "T2"},
        {part<LabelButton>(window, "lblLabReceivePrint"), "T7"},
        {part<LabelButton>(window, "lblLabReceiveSaveFile"), "T17"},
        {part<QLabel>(window, "lblLabReceiveFrom"), "T1"},
        {part<QLabel>(window, "lblLabReceiveSendTo"), "T3"},
        {part<QLabel>(window, "lblLabReceiveDate"), ""},
        {part<QLabel>(window, "Label5"), "T48"},
        {part<LabelButton>(window, "CmdHistoricRead"), "T24"},
        {part<LabelButton>(window, "CmdHistoricDisplay"), "T25"},
        {part<LabelButton>(window, "CmdHistoricPrint"), "T7"},
        {part<LabelButton>(window, "lblCmdDeleteHistoric"), "T8"},
    };
    for (const auto& [label, text] : labels)
        EXPECT_EQ(label->text(), QString::fromLatin1(text)) << label->objectName().toStdString();
    const std::pair<QAction*, const char*> entries[] = {
        {part<QAction>(window, "MenuSetting"), "T26"},
        {part<QAction>(window, "MenuQuit"), "T13"},
        {part<QAction>(window, "MenuAide"), "T28"},
        {part<QAction>(window, "MenuAbout"), "T50"},
        {part<QAction>(window, "MTriSender"), "T92"},
        {part<QAction>(window, "MTriDate"), "T93"},
        {part<QAction>(window, "MHideAbout"), "T50"},
        {part<QAction>(window, "MHideOpen"), "T99"},
        {part<QAction>(window, "MHideQuit"), "T13"},
        {part<QAction>(window, "MHide2DelOne"), "T100"},
        {part<QAction>(window, "MHide2DelAll"), "T101"},
    };
    for (const auto& [action, text] : entries)
        EXPECT_EQ(action->text(), QString::fromLatin1(text)) << action->objectName().toStdString();
    EXPECT_EQ(part<QMenu>(window, "MenuFile")->title(), QStringLiteral("File"));
    EXPECT_EQ(part<QMenu>(window, "MenuHelp")->title(), QStringLiteral("?"));
}

TEST_F(StartupTest, WithoutALanguageFileEveryCaptionSaysSoAndTheProgramWorks) {
    QFile::remove(folder_.path(QStringLiteral("orglng.lng")));
    frmPelimo& window = start();
    const QString unavailable = QStringLiteral("Error Getting Message");
    EXPECT_EQ(part<LabelButton>(window, "lblMenuSendMessage")->text(), unavailable);
    EXPECT_EQ(part<LabelButton>(window, "lblCmdSendNow")->text(), unavailable);
    EXPECT_EQ(part<QAction>(window, "MHideQuit")->text(), unavailable);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pelimo V1.0"));
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(),
              QStringLiteral(" 0 ") + unavailable + QStringLiteral("  0 ") + unavailable);
    part<LabelButton>(window, "lblMenuReadMessage")->clicked();
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
}

TEST_F(StartupTest, TheLayoutFollowsTheDesignInPixels) {
    frmPelimo& window = start();
    EXPECT_EQ(part<QWidget>(window, "picClientArea")->size(), QSize(588, 367));
    const std::pair<QWidget*, QRect> places[] = {
        {part<LabelButton>(window, "lblMenuSendMessage2"), {14, 38, 59, 46}},
        {part<LabelButton>(window, "lblMenuAddressBook2"), {15, 267, 59, 46}},
        {part<LabelButton>(window, "lblMenuSendMessage"), {73, 53, 125, 17}},
        {part<LabelButton>(window, "lblMenuAddressBook"), {73, 281, 125, 17}},
        {part<QWidget>(window, "picSendMessage"), {198, 5, 386, 339}},
        {part<QWidget>(window, "picReadMessage"), {198, 5, 386, 344}},
        {part<QWidget>(window, "picHistoric"), {198, 5, 386, 339}},
        {part<QLabel>(window, "lblInfo1"), {0, 349, 376, 18}},
        {part<QLabel>(window, "lblDate"), {376, 349, 212, 18}},
        {part<QLabel>(window, "picPrint"), {24, 304, 373, 40}},
        {part<QLabel>(window, "lblLabSendTitle"), {0, 0, 386, 26}},
        {part<QLabel>(window, "Label2"), {0, 26, 386, 45}},
        {part<LabelButton>(window, "lblCmdSendNow"), {5, 30, 52, 38}},
        {part<LabelButton>(window, "lblCmdSendDel"), {326, 30, 57, 38}},
        {part<LabelButton>(window, "lblCmdSendSelectUser"), {21, 74, 72, 33}},
        {part<QPlainTextEdit>(window, "txtSendUserList"), {110, 72, 276, 37}},
        {part<LimitedTextBox>(window, "txtSendMessage"), {2, 109, 384, 230}},
        {part<QLineEdit>(window, "txtSendFiles"), {125, 318, 255, 18}},
        {part<LabelButton>(window, "lblLabReceiveAnswer"), {6, 30, 61, 39}},
        {part<QLabel>(window, "picReceivePhoto"), {322, 1, 64, 64}},
        {part<QLabel>(window, "lblLabReceiveFrom"), {7, 70, 376, 14}},
        {part<QLabel>(window, "lblLabReceiveDate"), {5, 98, 376, 15}},
        {part<QPlainTextEdit>(window, "txtReceiveMessage"), {3, 113, 380, 227}},
        {part<QLineEdit>(window, "txtReceiveFiles"), {126, 318, 255, 18}},
        {part<LabelButton>(window, "CmdHistoricRead"), {10, 30, 45, 39}},
        {part<QTableView>(window, "MSFlexGrid1"), {8, 72, 377, 265}},
    };
    for (const auto& [widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();
    const std::pair<QWidget*, QColor> colours[] = {
        {part<QWidget>(window, "picClientArea"), {66, 83, 157}},
        {part<QWidget>(window, "picSendMessage"), {38, 60, 153}},
        {part<QLabel>(window, "Label9"), {64, 64, 64}},
        {part<QLabel>(window, "lblInfo1"), {224, 224, 224}},
        {part<QLabel>(window, "lblDate"), {224, 224, 224}},
        {part<QLabel>(window, "lblLabReceiveDate"), {192, 192, 192}},
    };
    for (const auto& [widget, colour] : colours)
        EXPECT_EQ(widget->palette().color(QPalette::Window), colour)
            << widget->objectName().toStdString();
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->palette().color(QPalette::Base),
              QColor(38, 60, 153));
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->palette().color(QPalette::Text),
              QColor(255, 255, 255));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->palette().color(QPalette::Base),
              QColor(255, 255, 255));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->palette().color(QPalette::Base),
              QColor(192, 192, 192));
    EXPECT_EQ(part<QLabel>(window, "picMessRead")->pixmap().size(), QSize(16, 11));
    EXPECT_FALSE(part<QLabel>(window, "picMessfileNoRead")->isVisible());
    EXPECT_FALSE(part<QLabel>(window, "picPrint")->isVisible());
    EXPECT_EQ(part<QTimer>(window, "TimerMailSlot")->interval(), 100);
    EXPECT_EQ(part<QTimer>(window, "TimerDateTime")->interval(), 1000);
    EXPECT_EQ(part<QTimer>(window, "TimerTestRead")->interval(), 3000);
    EXPECT_FALSE(part<QTimer>(window, "TimerTestRead")->isActive());
    EXPECT_TRUE(part<QTimer>(window, "TimerDateTime")->isActive());
}

TEST_F(StartupTest, EveryNamedPartOfTheWindowIsFoundByItsNameAlone) {
    frmPelimo& window = start();
    QMap<QString, int> uses;
    for (const QObject* child : window.findChildren<QObject*>()) {
        // Qt names the inner parts of its scroll areas and menus the same in every one of them.
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(u"qt_"))
            ++uses[child->objectName()];
    }
    QStringList twice;
    for (auto use = uses.cbegin(); use != uses.cend(); ++use) {
        if (use.value() > 1)
            twice << use.key();
    }
    EXPECT_EQ(twice, QStringList());
    EXPECT_GT(uses.size(), 70) << "the window's controls, menus, timers and model are named";
    EXPECT_THROW(part<QLabel>(window, "picSendMessage"), std::logic_error) << "a panel, no label";
    EXPECT_THROW(part<QWidget>(window, "lblNoSuchControl"), std::logic_error);
}

TEST_F(StartupTest, CountLineReportsTotalAndUnread) {
    writeHistory({kStateUnread, kStateRead, kStateUnreadWithAttachment});
    frmPelimo& window = start();
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 3 T54  2 T55"));
}

TEST_F(StartupTest, PanelBarSwitchesPanels) {
    frmPelimo& window = start();
    QTest::mouseClick(part<LabelButton>(window, "lblMenuReadMessage"), Qt::LeftButton);
    EXPECT_EQ(gCurrentPanel, kPanelRead);
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picSendMessage")->isVisible());
    QTest::mouseClick(part<LabelButton>(window, "lblMenuSendMessage2"), Qt::LeftButton);
    EXPECT_EQ(gCurrentPanel, kPanelSend);
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    QTest::mouseClick(part<LabelButton>(window, "lblMenuReadMessage2"), Qt::LeftButton);
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    // An unknown panel number changes nothing.
    gCurrentPanel = 7;
    window.mDisplayWindows();
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    // The help entry does nothing.
    part<QAction>(window, "MenuAide")->trigger();
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
}

TEST_F(StartupTest, AClickOnTheSenderLineOnlyResetsTheHighlighting) {
    frmPelimo& window = start();
    part<LabelButton>(window, "lblMenuReadMessage")->clicked();
    part<LabelButton>(window, "lblLabReceiveAnswer")->setHighlighted(true);
    part<LabelButton>(window, "lblMenuHistoric")->setHighlighted(true);
    QTest::mouseClick(part<QLabel>(window, "lblLabReceiveFrom"), Qt::LeftButton);
    EXPECT_FALSE(part<LabelButton>(window, "lblLabReceiveAnswer")->isHighlighted());
    EXPECT_FALSE(part<LabelButton>(window, "lblMenuHistoric")->isHighlighted());
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(StartupTest, ClockLineShowsDateAndTime) {
    frmPelimo& window = start();
    part<QLabel>(window, "lblDate")->clear();
    window.TimerDateTime_Timer();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(".+ \\d\\d .+ \\d{4} - \\d\\d:\\d\\d:\\d\\d$"))
                    .match(part<QLabel>(window, "lblDate")->text())
                    .hasMatch())
        << part<QLabel>(window, "lblDate")->text().toStdString();
}

using TrayTest = MainWindowTest;

TEST_F(TrayTest, MinimisingHidesToTheTrayAndAClickOnTheIconRestores) {
    trayAvailable_ = true;
    frmPelimo& window = start();
    ASSERT_NE(part<QSystemTrayIcon>(window, "trayIcon"), nullptr);
    EXPECT_EQ(part<QSystemTrayIcon>(window, "trayIcon")->toolTip(),
              QStringLiteral("Pelimo by Trelvix"));
    EXPECT_EQ(part<QSystemTrayIcon>(window, "trayIcon")->contextMenu(),
              part<QMenu>(window, "MHide"));
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    // The context menu request is the menu's business; it does not restore.
    emit part<QSystemTrayIcon>(window, "trayIcon")->activated(QSystemTrayIcon::Context);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    emit part<QSystemTrayIcon>(window, "trayIcon")->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    // The tray menu's open entry restores as well.
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    part<QAction>(window, "MHideOpen")->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(TrayTest, WithoutASystemTrayMinimisingKeepsTheWindow) {
    trayAvailable_ = false;
    frmPelimo& window = start();
    window.setWindowState(Qt::WindowMinimized);
    QTest::qWait(50);  // a fixed wait: the window must not go meanwhile
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(TrayTest, PointerMovesOverTheWindowAreNoTrayEvents) {
    trayAvailable_ = true;
    frmPelimo& window = start();
    part<LabelButton>(window, "lblMenuSendMessage")->setHighlighted(true);
    for (const int x : {514, 517}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 10), window.mapToGlobal(QPointF(x, 10)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
    }
    EXPECT_FALSE(part<QMenu>(window, "MHide")->isVisible());
    EXPECT_TRUE(DialogSeam::shown().empty());
    // The move still resets the highlighting of the panel bar.
    EXPECT_FALSE(part<LabelButton>(window, "lblMenuSendMessage")->isHighlighted());

    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    QMouseEvent move(QEvent::MouseMove, QPointF(514, 0), QPointF(514, 0), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

using ShutdownTest = MainWindowTest;

TEST_F(ShutdownTest, CancelLeavesEverythingRunning) {
    trayAvailable_ = true;
    frmPelimo& window = start();
    QSignalSpy finished(&window, &frmPelimo::shutdownFinished);
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    EXPECT_FALSE(window.close());
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    const DialogRecord& question = DialogSeam::shown()[0];
    EXPECT_EQ(question.text, QStringLiteral("T87"));
    EXPECT_EQ(question.title, QStringLiteral("T56"));
    EXPECT_EQ(question.buttons, MsgBoxButtons::OkCancel);
    EXPECT_EQ(question.icon, MsgBoxIcon::None);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(part<QSystemTrayIcon>(window, "trayIcon")->isVisible());
    EXPECT_TRUE(part<QTimer>(window, "TimerMailSlot")->isActive());
    EXPECT_TRUE(part<QTimer>(window, "TimerDateTime")->isActive());
    EXPECT_NE(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_FALSE(folder_.exists(QStringLiteral("Histo.dat")));
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(ShutdownTest, ConfirmedShutdownStopsEverythingAndWritesTheHistory) {
    trayAvailable_ = true;
    writeHistory({kStateUnread, kStateUnread});
    frmPelimo& window = start();
    HistoryList[2].State = kStateRead;  // a change in memory reaches the file at shutdown
    QSignalSpy finished(&window, &frmPelimo::shutdownFinished);
    DialogSeam::pushButton(MsgBoxResult::Ok);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(part<QSystemTrayIcon>(window, "trayIcon")->isVisible());
    EXPECT_FALSE(part<QTimer>(window, "TimerMailSlot")->isActive());
    EXPECT_FALSE(part<QTimer>(window, "TimerDateTime")->isActive());
    EXPECT_EQ(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_EQ(finished.count(), 1);
    const std::vector<HistoryEntry> stored =
        HistoryFormat::parse(folder_.read(QStringLiteral("Histo.dat")));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].State, kStateRead);
    // Closing again asks nothing and does nothing.
    EXPECT_TRUE(window.Form_Unload(true));
    EXPECT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(ShutdownTest, BothQuitEntriesAsk) {
    frmPelimo& window = start();
    for (QAction* quit : {part<QAction>(window, "MenuQuit"), part<QAction>(window, "MHideQuit")}) {
        DialogSeam::clearShown();
        DialogSeam::pushButton(MsgBoxResult::Cancel);
        quit->trigger();
        EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T87")});
        EXPECT_FALSE(window.isUnloaded());
    }
    DialogSeam::pushButton(MsgBoxResult::Ok);
    part<QAction>(window, "MHideQuit")->trigger();
    EXPECT_TRUE(window.isUnloaded());
}

TEST_F(ShutdownTest, HiddenInTheTrayTheQuitEntryStillShutsDown) {
    trayAvailable_ = true;
    frmPelimo& window = start();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    part<QAction>(window, "MHideQuit")->trigger();
    EXPECT_TRUE(window.isUnloaded());
    EXPECT_TRUE(folder_.exists(QStringLiteral("Histo.dat")));
}

TEST_F(ShutdownTest, ATerminationSignalShutsDownWithoutTheQuestion) {
    writeHistory({kStateUnread});
    frmPelimo& window = start();
    HistoryList[1].State = kStateRead;
    TerminationSignals signalHandlers;
    ASSERT_TRUE(signalHandlers.isInstalled());
    QObject::connect(&signalHandlers, &TerminationSignals::terminationRequested, &window,
                     &frmPelimo::shutdownWithoutQuestion);
    QSignalSpy requested(&signalHandlers, &TerminationSignals::terminationRequested);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isUnloaded(); }));
    EXPECT_EQ(requested.value(0).value(0).toInt(), SIGTERM);
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_FALSE(window.isVisible());
    const std::vector<HistoryEntry> stored =
        HistoryFormat::parse(folder_.read(QStringLiteral("Histo.dat")));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].State, kStateRead);
    // A second signal (SIGINT) after the shutdown is harmless.
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return requested.count() == 2; }));
}

TEST_F(ShutdownTest, AFailingShutdownStepIsReportedAndTheHistoryIsStillWritten) {
    frmPelimo& window = start();
    QStringList steps;
    frmPelimo::setStepProbe([&steps](const QString& step) {
        steps.append(step);
        if (step == QStringLiteral("gCloseMailSlot"))
            throw std::runtime_error("device gone");
    });
    window.shutdownWithoutQuestion();
    EXPECT_EQ(steps, (QStringList{"trayIcon", "timers", "gCloseWave", "gCloseMailSlot",
                                  "gSaveHistoric", "otherWindows"}));
    EXPECT_EQ(reportsShown(), 1);
    EXPECT_EQ(ErrorRecord.ErrorProcedure, QStringLiteral("Form_Unload"));
    EXPECT_EQ(ErrorRecord.ErrorLine, 4);
    EXPECT_TRUE(folder_.exists(QStringLiteral("Histo.dat")));
}

}  // namespace
