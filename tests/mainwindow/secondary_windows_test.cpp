// The main window's label-button highlighting driven by real mouse moves, the favorites and
// preferences windows opened from it, and data files found by name when their stored path is
// another computer's.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>

#include "favorites/frmFavorite.h"
#include "main_window_fixture.h"
#include "preferences/frmSetUp.h"
#include "stores/settings.h"
#include "ui/limited_text_box.h"
#include "ui/window_test_support.h"

namespace {

class SecondaryWindowsTest : public MainWindowTest {
protected:
    frmPelimo& startExposed() {
        frmPelimo& window = start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        return window;
    }
};

TEST_F(SecondaryWindowsTest, MovingFromOneCommandToTheNextLightsOnlyTheNext) {
    frmPelimo& window = startExposed();
    moveOnto(part<LabelButton>(window, "lblCmdSendNow"));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "lblCmdSendNow")));
    moveOnto(part<LabelButton>(window, "lblCmdSendJoin"));
    EXPECT_FALSE(isOrange(part<LabelButton>(window, "lblCmdSendNow")));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "lblCmdSendJoin")));
}

TEST_F(SecondaryWindowsTest, ThePanelBarIsResetOverTheSendPanelsTitleAndTextBoxes) {
    frmPelimo& window = startExposed();
    moveOnto(part<LabelButton>(window, "lblMenuHistoric2"));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "lblMenuHistoric")))
        << "the icon lights its text label";
    moveOnto(part<QLabel>(window, "lblLabSendTitle"));
    EXPECT_FALSE(isOrange(part<LabelButton>(window, "lblMenuHistoric")));
    for (QWidget* box : {static_cast<QWidget*>(part<LimitedTextBox>(window, "txtSendMessage")),
                         static_cast<QWidget*>(part<QPlainTextEdit>(window, "txtSendUserList"))}) {
        moveOnto(part<LabelButton>(window, "lblCmdSendDel"));
        moveOnto(part<LabelButton>(window, "lblMenuSendMessage"));
        ASSERT_TRUE(isOrange(part<LabelButton>(window, "lblMenuSendMessage")) &&
                    isOrange(part<LabelButton>(window, "lblCmdSendDel")));
        moveOnto(box);
        EXPECT_FALSE(isOrange(part<LabelButton>(window, "lblMenuSendMessage")))
            << box->objectName().toStdString();
        EXPECT_FALSE(isOrange(part<LabelButton>(window, "lblCmdSendDel")))
            << box->objectName().toStdString();
    }
}

TEST_F(SecondaryWindowsTest, LeavingTheWindowStraightFromALabelKeepsItOrange) {
    frmPelimo& window = startExposed();
    QWidget elsewhere;
    elsewhere.setGeometry(window.frameGeometry().right() + 50, 0, 100, 100);
    elsewhere.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
    moveOnto(part<LabelButton>(window, "lblMenuReadMessage"));
    moveOnto(&elsewhere);
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "lblMenuReadMessage")));
}

TEST_F(SecondaryWindowsTest, ATakenFavoriteReplacesTheTextAndIsCheckedWhenSent) {
    QDir(folder_.path()).mkdir(QStringLiteral("Favories"));
    frmPelimo& window = startExposed();
    part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(QStringLiteral("PC7"));
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("draft"));
    const QString longText(425, u'x');
    DialogSeam::pushAnswer({.act = [&](QObject* shown) {
        auto* favorite = qobject_cast<frmFavorite*>(shown);
        part<LimitedTextBox>(*favorite, "txtFavoris")->setText(longText);
        QTest::mouseClick(part<LabelButton>(*favorite, "lblCmdSelectionner"), Qt::LeftButton);
        return favorite->result();
    }});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendFavori"), Qt::LeftButton);
    EXPECT_EQ(DialogSeam::shown().front().window, "frmFavorite");
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), longText);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(), "PC7");
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendNow"), Qt::LeftButton);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"T59"});

    // Leaving the window without taking a text changes nothing.
    DialogSeam::pushAnswer({.act = [](QObject* shown) {
        QTest::mouseClick(part<LabelButton>(*qobject_cast<frmFavorite*>(shown), "lblCmdQuit"),
                          Qt::LeftButton);
        return 0;
    }});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendFavori"), Qt::LeftButton);
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), longText);
}

TEST_F(SecondaryWindowsTest, TheMenusOpenThePreferencesOrTheAboutPanel) {
    frmPelimo& window = startExposed();
    std::vector<bool> preferencesShown;
    const auto look = [&](QObject* shown) {
        preferencesShown.push_back(
            part<QWidget>(*qobject_cast<frmSetUp*>(shown), "picSettings")->isVisible());
        return 0;
    };
    for (QAction* entry : {part<QAction>(window, "MenuSetting"), part<QAction>(window, "MenuAbout"),
                           part<QAction>(window, "MHideAbout")}) {
        DialogSeam::pushAnswer({.act = look});
        entry->trigger();
    }
    EXPECT_EQ(preferencesShown, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(DialogSeam::shown().back().window, "frmSetUp");
}

TEST_F(SecondaryWindowsTest, PhotoAndSoundPathsOfAnotherComputerAreFoundByName) {
    QDir(folder_.path()).mkpath(QStringLiteral("Picture"));
    QDir(folder_.path()).mkpath(QStringLiteral("Sound"));
    writePicture(QStringLiteral("Picture/alice.bmp"), Qt::green);
    folder_.write(QStringLiteral("Sound/ding.wav"), pcmWaveHeader());
    writeContacts({{"Alice", "PC7", "C:\\Pelimo\\Picture\\alice.bmp", "C:\\Pelimo\\ding.wav"}});
    frmPelimo& window = start();
    receive("PC7", "ME", "1hello");
    EXPECT_EQ(shownImage(part<QLabel>(window, "picReceivePhoto")).pixelColor(32, 32),
              QColor(Qt::green));
    EXPECT_EQ(sounds_->opened, QStringList{folder_.path(QStringLiteral("Sound/ding.wav"))});
}

}  // namespace
