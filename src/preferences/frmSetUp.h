// The preferences and About window: two panels of the same size laid on top of each other. The
// opener chooses the panel through gSetUpMode before the window loads.
#pragma once

#include <QDialog>
#include <QtGlobal>

class LabelButton;
class LimitedTextBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// 1: the preferences panel; any other value: the About panel.
extern qint16 gSetUpMode;
inline constexpr qint16 kSetUpPreferences = 1;
inline constexpr qint16 kSetUpAbout = 2;

class frmSetUp : public QDialog {
    Q_OBJECT
public:
    explicit frmSetUp(QWidget* parent = nullptr);

    void Form_Load();
    void mInitForm();
    void mDisplayLanguage();
    void cmdValide_Click();
    void Command1_Click();
    void lblCmdQuit_Click();
    void cmdQuitAbout_Click();
    void mColorLabelStopSetUp();
    void mColorLabelAboutQuit();

private:
    // preferences panel
    QWidget* picSettings;
    QLabel* lblLabSetUpTitle;
    QLabel* Label2;
    LabelButton* cmdValide;
    LabelButton* lblCmdQuit;
    QCheckBox* chkOpenwindows;
    QCheckBox* chkPlaysound;
    QCheckBox* chkMinimized;
    // The desktop notification switch, between the signature and the language file.
    QCheckBox* chkNotifications;
    QLabel* lblSign;
    LimitedTextBox* txtSign;
    QLineEdit* txtLanguage;
    QPushButton* Command1;

    // About panel
    QWidget* picAbout;
    QLabel* lblLabAboutTitle;
    QLabel* Label4;
    LabelButton* cmdQuitAbout;
    QLabel* lblVersion;
    QLabel* lblVersionResult;
    QLabel* Label1;
    QLabel* Image1;
    QLabel* picture;

    void buildSettingsPanel();
    void buildAboutPanel();
};

namespace SetUpWindow {

// The version as the About panel shows it: ": " then major.minor.
QString aboutVersionText();

void reset();

}  // namespace SetUpWindow
