// The preferences and About window: what it shows from the settings, what validating writes,
// the language file chooser, and the highlighting of its commands.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/window_part.h"
#include "preferences/frmSetUp.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "ui/limited_text_box.h"
#include "ui/window_test_support.h"

namespace {

class SetUpTest : public ::testing::Test {
protected:
    SetUpTest() {
        writeNumberedLanguage(folder_);
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
    EXPECT_TRUE(part<QWidget>(window, "picSettings")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picAbout")->isVisible());
    EXPECT_TRUE(part<QCheckBox>(window, "chkOpenwindows")->isChecked());
    EXPECT_FALSE(part<QCheckBox>(window, "chkPlaysound")->isChecked());
    EXPECT_TRUE(part<QCheckBox>(window, "chkMinimized")->isChecked());
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSign")->text(), "Best\r\nAnn");
    EXPECT_EQ(part<QLineEdit>(window, "txtLanguage")->text(), "/old/path.lng");
    EXPECT_EQ(part<LabelButton>(window, "cmdValide")->text(), "T15");
    EXPECT_EQ(part<QCheckBox>(window, "chkMinimized")->text(), "T95");
    EXPECT_EQ(part<LabelButton>(window, "cmdQuitAbout")->text(), "Quitter")
        << "the other panel keeps its design text";
}

TEST_F(SetUpTest, ValidatingWritesTheBoxesAndAnEmptyLanguageBoxKeepsThePath) {
    frmSetUp& window = open(kSetUpPreferences);
    part<QCheckBox>(window, "chkOpenwindows")->click();
    part<QCheckBox>(window, "chkPlaysound")->click();
    part<QLineEdit>(window, "txtLanguage")->clear();
    part<LimitedTextBox>(window, "txtSign")->clear();
    part<LimitedTextBox>(window, "txtSign")->setFocus();
    QTest::keyClicks(part<LimitedTextBox>(window, "txtSign"), QStringLiteral("Regards"));
    QTest::keyClick(part<LimitedTextBox>(window, "txtSign"), Qt::Key_Return);
    QTest::keyClicks(part<LimitedTextBox>(window, "txtSign"), QStringLiteral("Bob"));
    QTest::mouseClick(part<LabelButton>(window, "cmdValide"), Qt::LeftButton);
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
    QTest::mouseClick(part<QPushButton>(window, "Command1"), Qt::LeftButton);  // cancelled
    EXPECT_EQ(part<QLineEdit>(window, "txtLanguage")->text(), "/old/path.lng");
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].title, "T40");
    EXPECT_EQ(DialogSeam::shown()[0].directory, folder_.path(QStringLiteral("Language")));

    DialogSeam::pushAnswer({.fileName = QStringLiteral("/new/French.lng")});
    QTest::mouseClick(part<QPushButton>(window, "Command1"), Qt::LeftButton);
    EXPECT_EQ(part<QLineEdit>(window, "txtLanguage")->text(), "/new/French.lng");
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"T94"});
    EXPECT_EQ(DialogSeam::shown().back().icon, MsgBoxIcon::Information);
    QTest::mouseClick(part<LabelButton>(window, "lblCmdQuit"), Qt::LeftButton);
    EXPECT_EQ(Settings.FileLanguage, "/old/path.lng");
    reload();
    EXPECT_EQ(Settings.FileLanguage, "/old/path.lng");
}

TEST_F(SetUpTest, TheAboutPanelShowsTheProjectVersion) {
    frmSetUp& window = open(kSetUpAbout);
    EXPECT_TRUE(part<QWidget>(window, "picAbout")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picSettings")->isVisible());
    EXPECT_EQ(part<QLabel>(window, "lblVersion")->text(), "Version");
    EXPECT_EQ(part<QLabel>(window, "lblVersionResult")->text(),
              QStringLiteral(": " PELIMO_PROJECT_VERSION));
    EXPECT_EQ(part<QLabel>(window, "lblLabAboutTitle")->text(), "T50");
    EXPECT_EQ(part<LabelButton>(window, "cmdValide")->text(), "Valider");
    EXPECT_FALSE(part<QLabel>(window, "picture")->pixmap().isNull());
    moveOnto(part<LabelButton>(window, "cmdQuitAbout"));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "cmdQuitAbout")));
    moveOnto(part<QLabel>(window, "Label1"));
    EXPECT_FALSE(isOrange(part<LabelButton>(window, "cmdQuitAbout")));
    QTest::mouseClick(part<LabelButton>(window, "cmdQuitAbout"), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(SetUpTest, BothPreferenceCommandsStayOrangeUntilThePanelIsCrossed) {
    frmSetUp& window = open(kSetUpPreferences);
    moveOnto(part<LabelButton>(window, "cmdValide"));
    moveOnto(part<LabelButton>(window, "lblCmdQuit"));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "cmdValide")));
    EXPECT_TRUE(isOrange(part<LabelButton>(window, "lblCmdQuit")));
    moveOnto(part<QWidget>(window, "picSettings"), QPoint(5, 200));
    EXPECT_FALSE(isOrange(part<LabelButton>(window, "cmdValide")));
    EXPECT_FALSE(isOrange(part<LabelButton>(window, "lblCmdQuit")));
}

}  // namespace
