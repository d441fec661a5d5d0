// The "Why can't I reach it?" window: the name of a computer, the command that checks it, and one
// line per check with its result. Opened from the address book and from the send panel's
// addressee box; it checks the name it was opened for at once (the user asked) and again on each
// click of its check command. The checks themselves are ReachabilityDiagnosis's.
#pragma once

#include <QDialog>
#include <optional>

#include "diagnosis/reachability_diagnosis.h"

class LabelButton;
class QLabel;
class QLineEdit;
class QListWidget;

class frmDiagnosis : public QDialog {
    Q_OBJECT
public:
    explicit frmDiagnosis(const QString& computerName, QWidget* parent = nullptr);

    void mDisplayLanguage();
    // Checks the name of the name box.
    void lblCmdCheck_Click();
    void lblCmdQuit_Click();
    void mColorLabelDiagnosisStop();

    const ReachabilityDiagnosis& diagnosis() const { return *diagnosis_; }

    QLabel* lblLabTitle;
    QLabel* Label2;
    LabelButton* lblCmdCheck;
    LabelButton* lblCmdQuit;
    QLabel* lblComputerName;
    QLineEdit* txtComputerName;
    QListWidget* lstResults;
    QLabel* lblLabInfo1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void mDisplayResults();

    ReachabilityDiagnosis* diagnosis_;
    std::optional<DiagnosisVerdict> verdict_;
    bool checkedOnShow_ = false;
};

namespace DiagnosisWindow {

// Opens the window for `computerName` modally over `owner`.
void show(QWidget* owner, const QString& computerName);

}  // namespace DiagnosisWindow
