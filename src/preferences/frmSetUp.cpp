#include "preferences/frmSetUp.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "errorreport/error_trap.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/settings.h"
#include "ui/accessible_names.h"
#include "ui/artwork.h"
#include "ui/label_button.h"
#include "ui/label_button_tables.h"
#include "ui/limited_text_box.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

qint16 gSetUpMode = 0;

namespace {

const QColor kWindowColour(22, 34, 108);
const QColor kSettingsColour(66, 83, 157);
const QColor kSignColour(224, 224, 224);

constexpr int kWidth = 5625;
constexpr int kHeight = 4845;

const QString kModule = QStringLiteral("frmSetUp");

QWidget* panel(QWidget* parent, const char* name, const QColor& colour) {
    auto* widget = gNamed(new QWidget(parent), name);
    gPlace(widget, 0, 0, kWidth, kHeight);
    gPaint(widget, colour, kDesignWhite);
    return widget;
}

QLabel* title(QWidget* parent, const char* name, const QString& text) {
    QLabel* label = gTitleLabel(parent, name, kWidth, 14.25);
    label->setText(text);
    return label;
}

QLabel* band(QWidget* parent, const char* name, int left, int width) {
    QLabel* label = gPlainLabel(parent, name);
    gPlace(label, left, 390, width, 675);
    gPaint(label, kDesignBand, kDesignWhite);
    return label;
}

QCheckBox* checkBox(QWidget* parent, const char* name, int top, const QString& text) {
    auto* box = gNamed(new QCheckBox(text, parent), name);
    gPlace(box, 420, top, 4770, 345);
    return box;
}

QLabel* pictureLabel(QWidget* parent, const char* name, const char* resource, int left, int top) {
    QLabel* label = gPlainLabel(parent, name);
    const QPixmap image = Artwork::picture(QString::fromLatin1(resource));
    label->setPixmap(image);
    label->setGeometry(QRect(QPoint(left, top), image.size()));
    return label;
}

Qt::CheckState stateOf(qint16 value) {
    return value == 1 ? Qt::Checked : Qt::Unchecked;
}

qint16 valueOf(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

frmSetUp::frmSetUp(QWidget* parent) : QDialog(parent) {
    setObjectName(kModule);
    // The caption is the product's name, whatever the language.
    setWindowTitle(QString::fromLatin1(kApplicationName));
    setFixedSize(gTwipsToPixels(kWidth), gTwipsToPixels(kHeight));
    setFont(gArial(8));
    gPaint(this, kWindowColour, kDesignWhite);
    buildSettingsPanel();
    buildAboutPanel();
    connect(cmdValide, &LabelButton::clicked, this, &frmSetUp::cmdValide_Click);
    connect(lblCmdQuit, &LabelButton::clicked, this, &frmSetUp::lblCmdQuit_Click);
    connect(cmdQuitAbout, &LabelButton::clicked, this, &frmSetUp::cmdQuitAbout_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSetUp::Command1_Click);
    gInstallLabelButtons(this, gSetUpLabelButtons());
    Form_Load();
}

void frmSetUp::buildSettingsPanel() {
    picSettings = panel(this, "picSettings", kSettingsColour);
    lblLabSetUpTitle = title(picSettings, "lblLabSetUpTitle", QStringLiteral("Preferences"));
    Label2 = band(picSettings, "Label2", 15, 5640);
    cmdValide = gCommandLabel(picSettings, "cmdValide", 75, 435, 870, 570);
    cmdValide->setText(QStringLiteral("Valider"));
    lblCmdQuit = gCommandLabel(picSettings, "lblCmdQuit", 4710, 435, 870, 570);
    lblCmdQuit->setText(QStringLiteral("Quitter"));
    chkOpenwindows = checkBox(picSettings, "chkOpenwindows", 1155,
                              QStringLiteral("Ouvre Pelimo sur arrivé d'un message"));
    chkPlaysound = checkBox(picSettings, "chkPlaysound", 1500,
                            QStringLiteral("Jouer les sons sur arrivé d'un message"));
    chkMinimized = checkBox(picSettings, "chkMinimized", 1845,
                            QStringLiteral("Réduire Pelimo après l'envoi d'un message"));
    lblSign = gPlainLabel(picSettings, "lblSign");
    gPlace(lblSign, 390, 2220, 4785, 240);
    gPaint(lblSign, kSignColour, kDesignBlack);
    lblSign->setIndent(gTwipsToPixels(45));
    lblSign->setText(QStringLiteral("Votre Signature"));
    txtSign = gNamed(new LimitedTextBox(picSettings), "txtSign");
    gPlace(txtSign, 390, 2460, 4785, 1005);
    gPaint(txtSign, kDesignWhite, kDesignBlack);
    chkNotifications = checkBox(picSettings, "chkNotifications", 3600,
                                QStringLiteral("Notification sur arrivée d'un message"));
    txtLanguage = gNamed(new QLineEdit(picSettings), "txtLanguage");
    gPlace(txtLanguage, 375, 4170, 4215, 315);
    gPaint(txtLanguage, kDesignWhite, kDesignBlack);
    Command1 = gNamed(new QPushButton(QStringLiteral("..."), picSettings), "Command1");
    gPlace(Command1, 4605, 4170, 570, 330);
}

void frmSetUp::buildAboutPanel() {
    picAbout = panel(this, "picAbout", kWindowColour);
    lblLabAboutTitle = title(picAbout, "lblLabAboutTitle", QStringLiteral("A Propos..."));
    Label4 = band(picAbout, "Label4", 0, 5610);
    cmdQuitAbout = gCommandLabel(picAbout, "cmdQuitAbout", 4800, 420, 750, 570);
    cmdQuitAbout->setText(QStringLiteral("Quitter"));
    lblVersion = gPlainLabel(picAbout, "lblVersion");
    gPlace(lblVersion, 90, 1200, 1035, 270);
    lblVersion->setFont(gArial(9.75, true));
    lblVersion->setText(QStringLiteral("Version"));
    lblVersionResult = gPlainLabel(picAbout, "lblVersionResult");
    gPlace(lblVersionResult, 1125, 1200, 570, 270);
    lblVersionResult->setFont(gArial(9.75, true));
    Label1 = gPlainLabel(picAbout, "Label1");
    gPlace(Label1, 1725, 1080, 3750, 810);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setText(
        QStringLiteral("Short messages between the computers of your local network, "
                       "straight from one desk to another: no server, no account."));
    Image1 = pictureLabel(picAbout, "Image1", "about_logo.png", 8, 150);
    picture = pictureLabel(picAbout, "picture", "about_banner.png", 1, 274);
}

void frmSetUp::Form_Load() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mDisplayLanguage();
    mInitForm();
}

void frmSetUp::mInitForm() {
    const bool preferences = gSetUpMode == kSetUpPreferences;
    picAbout->setVisible(!preferences);
    picSettings->setVisible(preferences);
    chkOpenwindows->setCheckState(stateOf(Settings.OpenWindows));
    chkPlaysound->setCheckState(stateOf(Settings.PlaySound));
    chkMinimized->setCheckState(stateOf(Settings.MinimizedWindows));
    chkNotifications->setCheckState(stateOf(Settings.Notifications));
    txtSign->setText(Settings.Signup);
    txtLanguage->setText(Settings.FileLanguage);
}

void frmSetUp::mDisplayLanguage() {
    if (gSetUpMode != kSetUpPreferences) {
        lblLabAboutTitle->setText(gFctGetMessage(Msg::About));
        cmdQuitAbout->setText(gFctGetMessage(Msg::Quit));
        lblVersionResult->setText(gFctAboutVersionText());
        gSetLanguageText(Label1, Msg::SetUpTagline);
        return;
    }
    const std::pair<QWidget*, int> captions[] = {
        {lblLabSetUpTitle, Msg::PreferencesTitle},
        {cmdValide, Msg::Ok},
        {lblCmdQuit, Msg::Quit},
        {lblSign, Msg::Signature},
        {chkOpenwindows, Msg::OpenOnArrival},
        {chkPlaysound, Msg::PlaySound},
        {chkMinimized, Msg::MinimizeAfterSend},
        {chkNotifications, Msg::Notifications},
    };
    for (const auto& [control, message] : captions) {
        const QString text = gFctGetMessage(message);
        if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
        else if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setText(QString(text).replace(u'&', QStringLiteral("&&")));
    }
    gApplyAccessibleNames(this, gSetUpAccessibleNames());
}

void frmSetUp::cmdValide_Click() {
    ErrorTrap trap(kModule, QStringLiteral("cmdValide_Click"));
    trap.step([this] {
        Settings.OpenWindows = valueOf(chkOpenwindows);
        Settings.PlaySound = valueOf(chkPlaysound);
        Settings.MinimizedWindows = valueOf(chkMinimized);
        Settings.Notifications = valueOf(chkNotifications);
    });
    trap.step([this] { Settings.Signup = txtSign->text(); });
    trap.step([this] {
        if (!txtLanguage->text().isEmpty())
            Settings.FileLanguage = txtLanguage->text();
    });
    trap.step([] { gSaveSettingsIni(); });
    trap.step([this] { accept(); });
}

void frmSetUp::Command1_Click() {
    ErrorTrap trap(kModule, QStringLiteral("Command1_Click"));
    QString chosen;
    trap.step([&chosen] {
        chosen =
            DialogSeam::openFileName(gFctGetMessage(Msg::ChooseLanguage),
                                     gApplicationFolder + QString::fromLatin1(kLanguageFolderName),
                                     QStringLiteral("Language File (*.lng)"));
    });
    if (chosen.isEmpty())
        return;
    trap.step([this, &chosen] { txtLanguage->setText(chosen); });
    trap.step(
        [] { LanguageBox::show(Msg::NextStart, MsgBoxButtons::Ok, MsgBoxIcon::Information); });
}

void frmSetUp::lblCmdQuit_Click() {
    reject();
}

void frmSetUp::cmdQuitAbout_Click() {
    reject();
}

void frmSetUp::mColorLabelStopSetUp() {
    gResetLabelButtons(this, "mColorLabelStopSetUp");
}

void frmSetUp::mColorLabelAboutQuit() {
    gResetLabelButtons(this, "mColorLabelAboutQuit");
}

QString gFctAboutVersionText() {
    return QStringLiteral(": %1.%2").arg(kVersionMajor).arg(kVersionMinor);
}

void gResetSetUp() {
    gSetUpMode = 0;
}
