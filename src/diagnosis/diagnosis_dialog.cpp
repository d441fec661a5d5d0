#include "diagnosis/diagnosis_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "diagnosis/diagnosis_report.h"
#include "seam/dialog_seam.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/label_button.h"
#include "ui/label_button_hover.h"
#include "ui/modal_dialogs.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

namespace {

const QColor& kWindowColour = Palette::kBlue;
const QColor& kListColour = Palette::kDarkBlue;
const QColor& kGood = Palette::kGreen;
const QColor& kBad = Palette::kLightRed;
const QColor& kUnknown = Palette::kOrange;

constexpr int kWidth = 7800;
constexpr int kHeight = 5400;
constexpr int kCommandTop = 450;
constexpr char kResetProcedure[] = "resetHighlights";

const QString kModule = QStringLiteral("DiagnosisDialog");

LabelButtonTable hoverTable() {
    LabelButtonTable table;
    table.groups = {{kResetProcedure, {"lblCmdCheck", "lblCmdQuit"}}};
    table.highlights = {{"lblCmdCheck", "lblCmdCheck", kResetProcedure},
                        {"lblCmdQuit", "lblCmdQuit", kResetProcedure}};
    table.resets = {{nullptr, kResetProcedure},
                    {"lblLabTitle", kResetProcedure},
                    {"Label2", kResetProcedure},
                    {"lstResults", kResetProcedure}};
    return table;
}

QColor markColour(DiagnosisMark mark) {
    switch (mark) {
        case DiagnosisMark::Good:
            return kGood;
        case DiagnosisMark::Bad:
            return kBad;
        case DiagnosisMark::Unknown:
            return kUnknown;
        case DiagnosisMark::Advice:
            break;
    }
    return Palette::kWhite;
}

}  // namespace

DiagnosisDialog::DiagnosisDialog(const QString& computerName, QWidget* parent)
    : QDialog(parent), diagnosis_(new ReachabilityDiagnosis(this)) {
    setObjectName(kModule);
    setFixedSize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    setFont(WindowParts::arial(8));
    WindowParts::paint(this, kWindowColour, Palette::kWhite);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    title_ = WindowParts::titleLabel(this, "lblLabTitle", kWidth, 12);
    band_ = WindowParts::plainLabel(this, "Label2");
    WindowParts::place(band_, 15, 390, kWidth - 30, 675);
    WindowParts::paint(band_, Palette::kBand, Palette::kWhite);
    checkCommand_ = WindowParts::commandLabel(this, "lblCmdCheck", 120, kCommandTop, 1200, 570);
    quitCommand_ = WindowParts::commandLabel(this, "lblCmdQuit", 6810, kCommandTop, 870, 570);

    nameCaption_ = WindowParts::plainLabel(this, "lblComputerName");
    WindowParts::place(nameCaption_, 135, 1200, 1800, 285);
    nameBox_ = WindowParts::named(new QLineEdit(computerName, this), "txtComputerName");
    WindowParts::place(nameBox_, 1995, 1170, 3000, 315);
    WindowParts::paint(nameBox_, Palette::kWhite, Palette::kBlack);
    nameBox_->setMaxLength(kMaxDiagnosedNameLength + 2);  // room for leading "\\"

    results_ = WindowParts::named(new QListWidget(this), "lstResults");
    WindowParts::place(results_, 135, 1620, 7530, 3420);
    WindowParts::paint(results_, kListColour, Palette::kWhite);
    results_->setWordWrap(true);
    results_->setSelectionMode(QAbstractItemView::NoSelection);
    results_->setFocusPolicy(Qt::StrongFocus);

    info_ = WindowParts::plainLabel(this, "lblLabInfo1");
    WindowParts::place(info_, 135, 5100, 7530, 255);

    connect(checkCommand_, &LabelButton::clicked, this, &DiagnosisDialog::check);
    connect(quitCommand_, &LabelButton::clicked, this, &DiagnosisDialog::quit);
    connect(nameBox_, &QLineEdit::returnPressed, this, &DiagnosisDialog::check);
    connect(diagnosis_, &ReachabilityDiagnosis::progressed, this, &DiagnosisDialog::displayResults);
    connect(diagnosis_, &ReachabilityDiagnosis::finished, this, [this](DiagnosisVerdict verdict) {
        verdict_ = verdict;
        displayResults();
    });
    LabelButtons::install(this, hoverTable());
    displayLanguage();
}

void DiagnosisDialog::displayLanguage() {
    setWindowTitle(gFctGetMessage(Msg::Diagnosis));
    title_->setText(gFctGetMessage(Msg::Diagnosis));
    checkCommand_->setText(gFctGetMessage(Msg::Check));
    quitCommand_->setText(gFctGetMessage(Msg::Quit));
    nameCaption_->setText(gFctGetMessage(Msg::ComputerName));
    nameBox_->setAccessibleName(gFctGetMessage(Msg::ComputerName));
    results_->setAccessibleName(gFctGetMessage(Msg::Diagnosis));
}

void DiagnosisDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Opening the window for a computer is the user's request to check it.
    if (!checkedOnShow_) {
        checkedOnShow_ = true;
        QTimer::singleShot(0, this, &DiagnosisDialog::check);
    }
}

void DiagnosisDialog::check() {
    if (diagnosis_->isRunning())
        return;
    const QString name = Reachability::diagnosableName(nameBox_->text());
    if (name.isEmpty()) {
        LanguageBox::show(Msg::InvalidComputerName, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    nameBox_->setText(name);
    verdict_.reset();
    if (diagnosis_->start(name))
        displayResults();
}

void DiagnosisDialog::quit() {
    reject();
}

void DiagnosisDialog::displayResults() {
    results_->clear();
    for (const DiagnosisLine& line : DiagnosisReport::lines(diagnosis_->facts(), verdict_)) {
        auto* item = new QListWidgetItem(line.text, results_);
        item->setForeground(markColour(line.mark));
    }
    info_->setText(diagnosis_->isRunning() ? gFctGetMessage(Msg::Checking) : QString());
}

void DiagnosisDialog::open(QWidget* owner, const QString& computerName) {
    DiagnosisDialog window(computerName, owner);
    DialogSeam::execModal(&window);
}
