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
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

qint16 gSetUpMode = 0;

namespace {

const QColor& kWindowColour = Palette::kDarkBlue;
const QColor& kSettingsColour = Palette::kLightBlue;
const QColor& kSignColour = Palette::kLightGrey;

constexpr int kWidth = 5625;
constexpr int kHeight = 4845;

const QString kModule = QStringLiteral("frmSetUp");

QWidget* panel(QWidget* parent, const char* name, const QColor& colour) {
    auto* widget = WindowParts::named(new QWidget(parent), name);
    WindowParts::place(widget, 0, 0, kWidth, kHeight);
    WindowParts::paint(widget, colour, Palette::kWhite);
    return widget;
}

QLabel* title(QWidget* parent, const char* name, const QString& text) {
    QLabel* label = WindowParts::titleLabel(parent, name, kWidth, 14.25);
    label->setText(text);
    return label;
}

QLabel* band(QWidget* parent, const char* name, int left, int width) {
    QLabel* label = WindowParts::plainLabel(parent, name);
    WindowParts::place(label, left, 390, width, 675);
    WindowParts::paint(label, Palette::kBand, Palette::kWhite);
    return label;
}

QCheckBox* checkBox(QWidget* parent, const char* name, int top, const QString& text) {
    auto* box = WindowParts::named(new QCheckBox(text, parent), name);
    WindowParts::place(box, 420, top, 4770, 345);
    return box;
}

QLabel* pictureLabel(QWidget* parent, const char* name, const char* resource, int left, int top) {
    QLabel* label = WindowParts::plainLabel(parent, name);
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
    setFixedSize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    setFont(WindowParts::arial(8));
    WindowParts::paint(this, kWindowColour, Palette::kWhite);
    buildSettingsPanel();
    buildAboutPanel();
    connect(cmdValide, &LabelButton::clicked, this, &frmSetUp::cmdValide_Click);
    connect(lblCmdQuit, &LabelButton::clicked, this, &frmSetUp::lblCmdQuit_Click);
    connect(cmdQuitAbout, &LabelButton::clicked, this, &frmSetUp::cmdQuitAbout_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSetUp::Command1_Click);
    LabelButtons::install(this, LabelButtonTables::setUp());
    Form_Load();
}

void frmSetUp::buildSettingsPanel() {
    picSettings = panel(this, "picSettings", kSettingsColour);
    lblLabSetUpTitle = title(picSettings, "lblLabSetUpTitle", QStringLiteral("Preferences"));
    Label2 = band(picSettings, "Label2", 15, 5640);
    cmdValide = WindowParts::commandLabel(picSettings, "cmdValide", 75, 435, 870, 570);
    cmdValide->setText(QStringLiteral("Valider"));
    lblCmdQuit = WindowParts::commandLabel(picSettings, "lblCmdQuit", 4710, 435, 870, 570);
    lblCmdQuit->setText(QStringLiteral("Quitter"));
    chkOpenwindows = checkBox(picSettings, "chkOpenwindows", 1155,
                              QStringLiteral("Ouvre Pelimo sur arrivé d'un message"));
    chkPlaysound = checkBox(picSettings, "chkPlaysound", 1500,
                            QStringLiteral("Jouer les sons sur arrivé d'un message"));
    chkMinimized = checkBox(picSettings, "chkMinimized", 1845,
                            QStringLiteral("Réduire Pelimo après l'envoi d'un message"));
    lblSign = WindowParts::plainLabel(picSettings, "lblSign");
    WindowParts::place(lblSign, 390, 2220, 4785, 240);
    WindowParts::paint(lblSign, kSignColour, Palette::kBlack);
    lblSign->setIndent(Twips::toPixels(45));
    lblSign->setText(QStringLiteral("Votre Signature"));
    txtSign = WindowParts::named(new LimitedTextBox(picSettings), "txtSign");
    WindowParts::place(txtSign, 390, 2460, 4785, 1005);
    WindowParts::paint(txtSign, Palette::kWhite, Palette::kBlack);
    chkNotifications = checkBox(picSettings, "chkNotifications", 3600,
                                QStringLiteral("Notification sur arrivée d'un message"));
    txtLanguage = WindowParts::named(new QLineEdit(picSettings), "txtLanguage");
    WindowParts::place(txtLanguage, 375, 4170, 4215, 315);
    WindowParts::paint(txtLanguage, Palette::kWhite, Palette::kBlack);
    Command1 = WindowParts::named(new QPushButton(QStringLiteral("..."), picSettings), "Command1");
    WindowParts::place(Command1, 4605, 4170, 570, 330);
}

void frmSetUp::buildAboutPanel() {
    picAbout = panel(this, "picAbout", kWindowColour);
    lblLabAboutTitle = title(picAbout, "lblLabAboutTitle", QStringLiteral("A Propos..."));
    Label4 = band(picAbout, "Label4", 0, 5610);
    cmdQuitAbout = WindowParts::commandLabel(picAbout, "cmdQuitAbout", 4800, 420, 750, 570);
    cmdQuitAbout->setText(QStringLiteral("Quitter"));
    lblVersion = WindowParts::plainLabel(picAbout, "lblVersion");
    WindowParts::place(lblVersion, 90, 1200, 1035, 270);
    lblVersion->setFont(WindowParts::arial(9.75, true));
    lblVersion->setText(QStringLiteral("Version"));
    lblVersionResult = WindowParts::plainLabel(picAbout, "lblVersionResult");
    WindowParts::place(lblVersionResult, 1125, 1200, 570, 270);
    lblVersionResult->setFont(WindowParts::arial(9.75, true));
    Label1 = WindowParts::plainLabel(picAbout, "Label1");
    WindowParts::place(Label1, 1725, 1080, 3750, 810);
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
        lblVersionResult->setText(SetUpWindow::aboutVersionText());
        WindowParts::setLanguageText(Label1, Msg::SetUpTagline);
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
    AccessibleNames::apply(this, AccessibleNames::setUp());
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
    LabelButtons::runReset(this, "mColorLabelStopSetUp");
}

void frmSetUp::mColorLabelAboutQuit() {
    LabelButtons::runReset(this, "mColorLabelAboutQuit");
}

QString SetUpWindow::aboutVersionText() {
    return QStringLiteral(": %1.%2").arg(kVersionMajor).arg(kVersionMinor);
}

void SetUpWindow::reset() {
    gSetUpMode = 0;
}
