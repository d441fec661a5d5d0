#include "diagnosis/frmDiagnosis.h"

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
constexpr char kResetProcedure[] = "mColorLabelDiagnosisStop";

const QString kModule = QStringLiteral("frmDiagnosis");

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

frmDiagnosis::frmDiagnosis(const QString& computerName, QWidget* parent)
    : QDialog(parent), diagnosis_(new ReachabilityDiagnosis(this)) {
    setObjectName(kModule);
    setFixedSize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    setFont(WindowParts::arial(8));
    WindowParts::paint(this, kWindowColour, Palette::kWhite);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    lblLabTitle = WindowParts::titleLabel(this, "lblLabTitle", kWidth, 12);
    Label2 = WindowParts::plainLabel(this, "Label2");
    WindowParts::place(Label2, 15, 390, kWidth - 30, 675);
    WindowParts::paint(Label2, Palette::kBand, Palette::kWhite);
    lblCmdCheck = WindowParts::commandLabel(this, "lblCmdCheck", 120, kCommandTop, 1200, 570);
    lblCmdQuit = WindowParts::commandLabel(this, "lblCmdQuit", 6810, kCommandTop, 870, 570);

    lblComputerName = WindowParts::plainLabel(this, "lblComputerName");
    WindowParts::place(lblComputerName, 135, 1200, 1800, 285);
    txtComputerName = WindowParts::named(new QLineEdit(computerName, this), "txtComputerName");
    WindowParts::place(txtComputerName, 1995, 1170, 3000, 315);
    WindowParts::paint(txtComputerName, Palette::kWhite, Palette::kBlack);
    txtComputerName->setMaxLength(kMaxDiagnosedNameLength + 2);  // room for leading "\\"

    lstResults = WindowParts::named(new QListWidget(this), "lstResults");
    WindowParts::place(lstResults, 135, 1620, 7530, 3420);
    WindowParts::paint(lstResults, kListColour, Palette::kWhite);
    lstResults->setWordWrap(true);
    lstResults->setSelectionMode(QAbstractItemView::NoSelection);
    lstResults->setFocusPolicy(Qt::StrongFocus);

    lblLabInfo1 = WindowParts::plainLabel(this, "lblLabInfo1");
    WindowParts::place(lblLabInfo1, 135, 5100, 7530, 255);

    connect(lblCmdCheck, &LabelButton::clicked, this, &frmDiagnosis::lblCmdCheck_Click);
    connect(lblCmdQuit, &LabelButton::clicked, this, &frmDiagnosis::lblCmdQuit_Click);
    connect(txtComputerName, &QLineEdit::returnPressed, this, &frmDiagnosis::lblCmdCheck_Click);
    connect(diagnosis_, &ReachabilityDiagnosis::progressed, this, &frmDiagnosis::mDisplayResults);
    connect(diagnosis_, &ReachabilityDiagnosis::finished, this, [this](DiagnosisVerdict verdict) {
        verdict_ = verdict;
        mDisplayResults();
    });
    LabelButtons::install(this, hoverTable());
    mDisplayLanguage();
}

void frmDiagnosis::mDisplayLanguage() {
    setWindowTitle(gFctGetMessage(Msg::Diagnosis));
    lblLabTitle->setText(gFctGetMessage(Msg::Diagnosis));
    lblCmdCheck->setText(gFctGetMessage(Msg::Check));
    lblCmdQuit->setText(gFctGetMessage(Msg::Quit));
    lblComputerName->setText(gFctGetMessage(Msg::ComputerName));
    txtComputerName->setAccessibleName(gFctGetMessage(Msg::ComputerName));
    lstResults->setAccessibleName(gFctGetMessage(Msg::Diagnosis));
}

void frmDiagnosis::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Opening the window for a computer is the user's request to check it.
    if (!checkedOnShow_) {
        checkedOnShow_ = true;
        QTimer::singleShot(0, this, &frmDiagnosis::lblCmdCheck_Click);
    }
}

void frmDiagnosis::lblCmdCheck_Click() {
    if (diagnosis_->isRunning())
        return;
    const QString name = Reachability::diagnosableName(txtComputerName->text());
    if (name.isEmpty()) {
        LanguageBox::show(Msg::InvalidComputerName, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    txtComputerName->setText(name);
    verdict_.reset();
    if (diagnosis_->start(name))
        mDisplayResults();
}

void frmDiagnosis::lblCmdQuit_Click() {
    reject();
}

void frmDiagnosis::mColorLabelDiagnosisStop() {
    LabelButtons::runReset(this, kResetProcedure);
}

void frmDiagnosis::mDisplayResults() {
    lstResults->clear();
    for (const DiagnosisLine& line : DiagnosisReport::lines(diagnosis_->facts(), verdict_)) {
        auto* item = new QListWidgetItem(line.text, lstResults);
        item->setForeground(markColour(line.mark));
    }
    lblLabInfo1->setText(diagnosis_->isRunning() ? gFctGetMessage(Msg::Checking) : QString());
}

void DiagnosisWindow::show(QWidget* owner, const QString& computerName) {
    frmDiagnosis window(computerName, owner);
    DialogSeam::execModal(&window);
}
