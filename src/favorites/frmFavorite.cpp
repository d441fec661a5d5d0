#include "favorites/frmFavorite.h"

#include <QFileInfo>
#include <QListWidget>

#include "errorreport/error_trap.h"
#include "favorites/favorite_library.h"
#include "seam/dialog_seam.h"
#include "stores/file_operations.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/accessible_names.h"
#include "ui/label_button.h"
#include "ui/label_button_tables.h"
#include "ui/limited_text_box.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

QString gFavoriteText;
QString gFavoriteFileText;

namespace {

const QColor& kWindowColour = Palette::kBlue;
const QColor& kTitleColour = Palette::kDarkBlue;

constexpr int kWidth = 5895;
constexpr int kHeight = 6090;
constexpr int kCommandTop = 450;
constexpr int kCommandWidth = 1035;
constexpr int kCommandHeight = 570;

const QString kModule = QStringLiteral("frmFavorite");

// The name the save dialog gave, with ".txt" added when no extension was typed: the library
// lists only ".txt" files, so a name without one would be saved and never shown.
QString withTextExtension(const QString& chosen) {
    if (!QFileInfo(chosen).suffix().isEmpty())
        return chosen;
    return chosen + (chosen.endsWith(u'.') ? QStringLiteral("txt") : QStringLiteral(".txt"));
}

}  // namespace

frmFavorite::frmFavorite(QWidget* parent) : QDialog(parent) {
    setObjectName(kModule);
    setFixedSize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    setFont(WindowParts::arial(8));
    WindowParts::paint(this, kWindowColour, Palette::kWhite);
    setWindowTitle(QStringLiteral("Message Favoris"));

    lblLabSendTitle = WindowParts::titleLabel(this, "lblLabSendTitle", kWidth, 12);
    WindowParts::paint(lblLabSendTitle, kTitleColour, Palette::kWhite);
    lblLabSendTitle->setText(QStringLiteral("Messages Pré-Définis"));
    Label2 = WindowParts::plainLabel(this, "Label2");
    WindowParts::place(Label2, 0, 390, kWidth, 675);
    WindowParts::paint(Label2, Palette::kBand, Palette::kWhite);

    lblCmdSelectionner = WindowParts::commandLabel(this, "lblCmdSelectionner", 75, kCommandTop,
                                                   kCommandWidth, kCommandHeight);
    lblCmdSelectionner->setText(QStringLiteral("Selectionner"));
    lblCmdNouveau = WindowParts::commandLabel(this, "lblCmdNouveau", 1230, kCommandTop,
                                              kCommandWidth, kCommandHeight);
    lblCmdNouveau->setText(QStringLiteral("Nouveau"));
    lblCmdEnregistrer = WindowParts::commandLabel(this, "lblCmdEnregistrer", 2385, kCommandTop,
                                                  kCommandWidth, kCommandHeight);
    lblCmdEnregistrer->setText(QStringLiteral("Enregistrer"));
    lblCmdSupprimer = WindowParts::commandLabel(this, "lblCmdSupprimer", 3540, kCommandTop,
                                                kCommandWidth, kCommandHeight);
    lblCmdSupprimer->setText(QStringLiteral("Supprimer"));
    lblCmdQuit = WindowParts::commandLabel(this, "lblCmdQuit", 4785, kCommandTop, kCommandWidth,
                                           kCommandHeight);
    lblCmdQuit->setText(QStringLiteral("Quitter"));

    lblLabInfo1 = WindowParts::plainLabel(this, "lblLabInfo1");
    WindowParts::place(lblLabInfo1, 105, 1140, 5685, 255);
    lblLabInfo1->setText(QStringLiteral("Messages pré-définis disponible"));

    File1 = WindowParts::named(new QListWidget(this), "File1");
    WindowParts::place(File1, 105, 1410, 5685, 1140);
    WindowParts::paint(File1, Palette::kWhite, Palette::kBlack);

    txtFavoris = WindowParts::named(new LimitedTextBox(this), "txtFavoris");
    WindowParts::place(txtFavoris, 105, 2595, 5670, 3405);
    txtFavoris->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    WindowParts::paint(txtFavoris, Palette::kWhite, Palette::kBlack);

    // A selection made with the mouse or the keys loads its file; clicking the selected file
    // again keeps the edits.
    connect(File1, &QListWidget::itemSelectionChanged, this, &frmFavorite::File1_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &frmFavorite::File1_DblClick);
    connect(lblCmdSelectionner, &LabelButton::clicked, this,
            &frmFavorite::lblCmdSelectionner_Click);
    connect(lblCmdNouveau, &LabelButton::clicked, this, &frmFavorite::lblCmdNouveau_Click);
    connect(lblCmdEnregistrer, &LabelButton::clicked, this, &frmFavorite::lblCmdEnregistrer_Click);
    connect(lblCmdSupprimer, &LabelButton::clicked, this, &frmFavorite::deleteFavorite);
    connect(lblCmdQuit, &LabelButton::clicked, this, &frmFavorite::lblCmdQuit_Click);
    LabelButtons::install(this, LabelButtonTables::favorite());
    Form_Load();
}

void frmFavorite::Form_Load() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mDisplayLanguage();
    mInitInterface();
    mInitFavorisDirectory();
    gFavoriteText.clear();
    mFavoriteFileName.clear();
}

void frmFavorite::mDisplayLanguage() {
    ErrorTrap trap(kModule, QStringLiteral("mDisplayLanguage"));
    trap.step([this] { setWindowTitle(gFctGetMessage(Msg::FavoritesWindowTitle)); });
    const std::pair<QLabel*, int> captions[] = {
        {lblLabSendTitle, Msg::FavoritesHeading},
        {lblCmdSelectionner, Msg::Select},
        {lblCmdNouveau, Msg::New},
        {lblCmdEnregistrer, Msg::Save},
        {lblCmdSupprimer, Msg::FavoriteDelete},
        {lblCmdQuit, Msg::Quit},
        {lblLabInfo1, Msg::FavoritesListHeading},
    };
    for (const auto& caption : captions)
        trap.step([&caption] { caption.first->setText(gFctGetMessage(caption.second)); });
    trap.step([this] { AccessibleNames::apply(this, AccessibleNames::favorite()); });
}

void frmFavorite::mInitInterface() {
    txtFavoris->setMaxLength(kFavoriteMaxLength);
    txtFavoris->clear();
}

void frmFavorite::mInitFavorisDirectory() {
    ErrorTrap trap(kModule, QStringLiteral("mInitFavorisDirectory"));
    trap.step([this] { File1->clear(); });
    trap.step([this] { File1->addItems(FavoriteLibrary::fileNames()); });
    trap.step([this] { File1->clearSelection(); });
}

int frmFavorite::mFileSelectClick() {
    ErrorTrap trap(kModule, QStringLiteral("mFileSelectClick"));
    const QList<QListWidgetItem*> selected = File1->selectedItems();
    if (selected.isEmpty())
        return 0;
    const QString name = selected.front()->text();
    trap.step([this, &name] { mFavoriteFileName = FavoriteLibrary::folder() + u'/' + name; });
    int loaded = 0;
    trap.step([this, &loaded] { loaded = gFctLoadTextFile(mFavoriteFileName, gFavoriteFileText); });
    if (loaded == 0)
        return 0;
    trap.step([this] { txtFavoris->setText(gFavoriteFileText); });
    gFavoriteFileText.clear();
    return 1;
}

void frmFavorite::File1_Click() {
    mFileSelectClick();
}

void frmFavorite::File1_DblClick() {
    if (mFileSelectClick() == 1)
        lblCmdSelectionner_Click();
}

void frmFavorite::lblCmdSelectionner_Click() {
    gFavoriteText = txtFavoris->text();
    accept();
}

void frmFavorite::lblCmdNouveau_Click() {
    mFavoriteFileName.clear();
    File1->clearSelection();
    txtFavoris->clear();
    txtFavoris->setFocus();
}

void frmFavorite::lblCmdEnregistrer_Click() {
    ErrorTrap trap(kModule, QStringLiteral("lblCmdEnregistrer_Click"));
    if (!mFavoriteFileName.isEmpty()) {
        trap.step([this] { gFavoriteFileText = txtFavoris->text(); });
        trap.step([this] { gFctSaveTextFile(mFavoriteFileName, gFavoriteFileText); });
        trap.step([this] { mInitFavorisDirectory(); });
        return;
    }
    QString chosen;
    trap.step([&chosen] {
        const QString title =
            gFctGetMessage(Msg::Save) + QStringLiteral(" ") + gFctGetMessage(Msg::Favorites);
        chosen = DialogSeam::saveFileName(
            title, FavoriteLibrary::folder() + u'/' + gFctGetMessage(Msg::Favorites),
            QStringLiteral("txt (*.txt)"));
    });
    if (chosen.isEmpty())
        return;
    trap.step([this, &chosen] {
        mFavoriteFileName = withTextExtension(chosen);
        gFavoriteFileText = txtFavoris->text();
    });
    bool cancelled = false;
    trap.step([this, &cancelled] {
        if (gFctGetFileAttributes(mFavoriteFileName) == -1)
            return;
        cancelled = LanguageBox::show(Msg::ReplaceFile, MsgBoxButtons::OkCancel,
                                      MsgBoxIcon::None) == MsgBoxResult::Cancel;
    });
    if (cancelled) {
        mFavoriteFileName.clear();
        gFavoriteFileText.clear();
        return;
    }
    trap.step([this] { gFctSaveTextFile(mFavoriteFileName, gFavoriteFileText); });
    trap.step([this] { mInitFavorisDirectory(); });
}

void frmFavorite::deleteFavorite() {
    if (mFavoriteFileName.isEmpty()) {
        LanguageBox::show(Msg::FavoriteDeleteNoSelection, MsgBoxButtons::Ok,
                          MsgBoxIcon::Information);
        return;
    }
    const QString name = QFileInfo(mFavoriteFileName).fileName();
    if (LanguageBox::show(Msg::FavoriteConfirmDelete, MsgBoxButtons::OkCancel, MsgBoxIcon::None,
                          name) != MsgBoxResult::Ok) {
        return;
    }
    if (ShFileDelete(mFavoriteFileName) != 0) {
        LanguageBox::show(Msg::FavoriteDeleteFailed, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                          name);
        return;
    }
    // The deleted message is gone from the list and from the box.
    lblCmdNouveau_Click();
    mInitFavorisDirectory();
}

void frmFavorite::lblCmdQuit_Click() {
    gFavoriteText.clear();
    reject();
}

void frmFavorite::mColorLabelFavoriteStop() {
    LabelButtons::runReset(this, "mColorLabelFavoriteStop");
}

void FavoriteWindow::reset() {
    gFavoriteText.clear();
    gFavoriteFileText.clear();
}
