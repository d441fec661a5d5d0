// The preferences and About window: what it shows from the settings, what validating writes,
// the language file chooser, and the highlighting of its commands.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "preferences/frmSetUp.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "ui/limited_text_box.h"
#include "ui/window_test_support.h"

namespace {

class SetUpTest : public ::testing::Test {
protected:
    SetUpTest() {
        gWriteNumberedLanguage(folder_);
        gLoadLanguageFile(folder_.path(QStringLiteral("orglng.lng")));
        folder_.write(QStringLiteral("Settings.ini"),
                      "[Setting]\r\nOpenWindows=1\r\nPlaySound=0\r\nMinimizedWindows=1\r\n"
                      "FileLanguage=/old/path.lng\r\nMessageChannel=chan\r\n"
                      "Signup=Best||Ann\r\n");
        SettingsStore::reset();
        gLoadSettingsIni();
    }
    ~SetUpTest() override {
        LanguageStore::reset();
        SettingsStore::reset();
        SetUpWindow::reset();
    }
    frmSetUp& open(qint16 mode) {
        gSetUpMode = mode;
        window_ = std::make_unique<frmSetUp>();
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }
    void reload() {
        SettingsStore::reset();
        gLoadSettingsIni();
    }

    TestFolder folder_;
    std::unique_ptr<frmSetUp> window_;
};

TEST_F(SetUpTest, ThePreferencesPanelShowsTheSettingsAndItsOwnTextsOnly) {
    frmSetUp& window = open(kSetUpPreferences);
    EXPECT_TRUE(window.picSettings->isVisible());
    EXPECT_FALSE(window.picAbout->isVisible());
    EXPECT_TRUE(window.chkOpenwindows->isChecked());
    EXPECT_FALSE(window.chkPlaysound->isChecked());
    EXPECT_TRUE(window.chkMinimized->isChecked());
    EXPECT_EQ(window.txtSign->text(), "Best\r\nAnn");
    EXPECT_EQ(window.txtLanguage->text(), "/old/path.lng");
    EXPECT_EQ(window.cmdValide->text(), "T15");
    EXPECT_EQ(window.chkMinimized->text(), "T95");
    EXPECT_EQ(window.cmdQuitAbout->text(), "Quitter") << "the other panel keeps its design text";
}

TEST_F(SetUpTest, ValidatingWritesTheBoxesAndAnEmptyLanguageBoxKeepsThePath) {
    frmSetUp& window = open(kSetUpPreferences);
    window.chkOpenwindows->click();
    window.chkPlaysound->click();
    window.txtLanguage->clear();
    window.txtSign->clear();
    window.txtSign->setFocus();
    QTest::keyClicks(window.txtSign, QStringLiteral("Regards"));
    QTest::keyClick(window.txtSign, Qt::Key_Return);
    QTest::keyClicks(window.txtSign, QStringLiteral("Bob"));
    QTest::mouseClick(window.cmdValide, Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    const QByteArray file = folder_.read(QStringLiteral("Settings.ini"));
    EXPECT_TRUE(file.contains("Signup=Regards||Bob\r\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("MessageChannel=chan\r\n"));
    reload();
    EXPECT_EQ(Settings.OpenWindows, 0);
    EXPECT_EQ(Settings.PlaySound, 1);
    EXPECT_EQ(Settings.MinimizedWindows, 1);
    EXPECT_EQ(Settings.FileLanguage, "/old/path.lng");
    EXPECT_EQ(Settings.Signup, "Regards\r\nBob");
}

TEST_F(SetUpTest, AChosenLanguageFileIsOnlyKeptByValidating) {
    frmSetUp& window = open(kSetUpPreferences);
    QTest::mouseClick(window.Command1, Qt::LeftButton);  // cancelled
    EXPECT_EQ(window.txtLanguage->text(), "/old/path.lng");
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].title, "T40");
    EXPECT_EQ(DialogSeam::shown()[0].directory, folder_.path(QStringLiteral("Language")));

    DialogSeam::pushAnswer({.fileName = QStringLiteral("/new/French.lng")});
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    EXPECT_EQ(window.txtLanguage->text(), "/new/French.lng");
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"T94"});
    EXPECT_EQ(DialogSeam::shown().back().icon, MsgBoxIcon::Information);
    QTest::mouseClick(window.lblCmdQuit, Qt::LeftButton);
    EXPECT_EQ(Settings.FileLanguage, "/old/path.lng");
    reload();
    EXPECT_EQ(Settings.FileLanguage, "/old/path.lng");
}

TEST_F(SetUpTest, TheAboutPanelShowsTheProjectVersion) {
    frmSetUp& window = open(kSetUpAbout);
    EXPECT_TRUE(window.picAbout->isVisible());
    EXPECT_FALSE(window.picSettings->isVisible());
    EXPECT_EQ(window.lblVersion->text(), "Version");
    EXPECT_EQ(window.lblVersionResult->text(), QStringLiteral(": " PELIMO_PROJECT_VERSION));
    EXPECT_EQ(window.lblLabAboutTitle->text(), "T50");
    EXPECT_EQ(window.cmdValide->text(), "Valider");
    EXPECT_FALSE(window.picture->pixmap().isNull());
    gMoveOnto(window.cmdQuitAbout);
    EXPECT_TRUE(gOrange(window.cmdQuitAbout));
    gMoveOnto(window.Label1);
    EXPECT_FALSE(gOrange(window.cmdQuitAbout));
    QTest::mouseClick(window.cmdQuitAbout, Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(SetUpTest, BothPreferenceCommandsStayOrangeUntilThePanelIsCrossed) {
    frmSetUp& window = open(kSetUpPreferences);
    gMoveOnto(window.cmdValide);
    gMoveOnto(window.lblCmdQuit);
    EXPECT_TRUE(gOrange(window.cmdValide));
    EXPECT_TRUE(gOrange(window.lblCmdQuit));
    gMoveOnto(window.picSettings, QPoint(5, 200));
    EXPECT_FALSE(gOrange(window.cmdValide));
    EXPECT_FALSE(gOrange(window.lblCmdQuit));
}

}  // namespace
