#include "errorreport/error_trap.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "errorreport/runtime_error.h"
#include "seam/dialog_seam.h"

namespace {

ErrorReportPresenter& presenter() {
    static ErrorReportPresenter current;
    return current;
}

}  // namespace

void ErrorReport::setPresenter(ErrorReportPresenter newPresenter) {
    presenter() = std::move(newPresenter);
}

void ErrorReport::show() {
    if (presenter()) {
        presenter()();
        return;
    }
    // Without windows (command-line tools, core tests) the report still goes through the seam.
    DialogSeam::showReport(QStringLiteral("frmError"), QStringLiteral("Pelimo Error Trap"),
                           ErrorReport::build(ErrorRecord, QDateTime::currentDateTime()));
}

void ErrorTrap::report(std::exception_ptr failure) {
    ++failures_;
    int number = RunTimeErrorNumber::InvalidProcedureCall;
    QString description;
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const RunTimeError& error) {
        number = error.number();
        description = error.description();
    } catch (const std::bad_alloc&) {
        number = RunTimeErrorNumber::OutOfMemory;
    } catch (const std::out_of_range& error) {
        number = RunTimeErrorNumber::SubscriptOutOfRange;
        description = QString::fromLocal8Bit(error.what());
    } catch (const std::exception& error) {
        description = QString::fromLocal8Bit(error.what());
    } catch (...) {
    }
    ErrorRecord.ErrorModule = module_;
    ErrorRecord.ErrorProcedure = procedure_;
    ErrorRecord.ErrorNumber = number;
    ErrorRecord.ErrorDescription =
        description.isEmpty() ? RunTimeError::classicDescription(number) : description;
    ErrorRecord.ErrorLine = line_;
    ErrorReport::show();
}
