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

class DiagnosisDialog : public QDialog {
    Q_OBJECT
public:
    explicit DiagnosisDialog(const QString& computerName, QWidget* parent = nullptr);

    // Opens the window for `computerName` modally over `owner`.
    static void open(QWidget* owner, const QString& computerName);

    void displayLanguage();
    // Checks the name of the name box.
    void check();
    void quit();

    const ReachabilityDiagnosis& diagnosis() const { return *diagnosis_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void displayResults();
    void resetHighlights();

    QLabel* title_;
    QLabel* band_;
    LabelButton* checkCommand_;
    LabelButton* quitCommand_;
    QLabel* nameCaption_;
    QLineEdit* nameBox_;
    QListWidget* results_;
    QLabel* info_;

    ReachabilityDiagnosis* diagnosis_;
    std::optional<DiagnosisVerdict> verdict_;
    bool checkedOnShow_ = false;
};
