// The error pattern of every reporting procedure: each statement runs as a step; a failing step
// fills ErrorRecord with the procedure's names, the error and the step's line, the report window
// is shown modally, and the procedure resumes with the next step.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <utility>

#include "errorreport/error_record.h"

// Shows the report of the current ErrorRecord; the window layer installs its modal window here.
using ErrorReportPresenter = std::function<void()>;

namespace ErrorReport {

void setPresenter(ErrorReportPresenter presenter);
void show();

}  // namespace ErrorReport

class ErrorTrap {
public:
    ErrorTrap(QString module, QString procedure)
        : module_(std::move(module)), procedure_(std::move(procedure)) {}

    // Runs one statement. Returns false when it failed (and was reported).
    template <class Statement>
    bool step(Statement&& statement) {
        ++line_;
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            report(std::current_exception());
            return false;
        }
    }

    // Runs the statement of an explicit line number; later steps count on from it.
    template <class Statement>
    bool stepAt(int line, Statement&& statement) {
        line_ = line - 1;
        return step(std::forward<Statement>(statement));
    }

    int failures() const { return failures_; }

private:
    void report(std::exception_ptr failure);

    QString module_;
    QString procedure_;
    int line_ = 0;
    int failures_ = 0;
};
