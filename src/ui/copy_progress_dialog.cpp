#include "ui/copy_progress_dialog.h"

#include <QApplication>

#include "stores/application.h"
#include "ui/dialog_seam.h"

namespace {

// The bar counts in thousandths, so files above 2 GiB fit its int range.
constexpr int kScale = 1000;

}  // namespace

CopyProgressDialog::CopyProgressDialog() : dialog_(QApplication::activeWindow()) {
    dialog_.setObjectName(QStringLiteral("CopyProgressDialog"));
    dialog_.setWindowTitle(QString::fromLatin1(kApplicationName));
    dialog_.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
    dialog_.setRange(0, kScale);
    // Scripted tests never see the window; QProgressDialog shows itself only after this delay.
    dialog_.setMinimumDuration(DialogSeam::isScripted() ? std::numeric_limits<int>::max()
                                                        : kShowAfterMilliseconds);
    dialog_.setValue(0);
}

bool CopyProgressDialog::progress(qint64 copied, qint64 total) {
    const int value =
        total > 0 ? static_cast<int>(std::min<qint64>(copied, total) * kScale / total) : kScale;
    // A modal progress dialog processes pending events here, so Cancel can be pressed.
    if (!DialogSeam::isScripted())
        dialog_.setValue(value);
    return !dialog_.wasCanceled();
}

void gInstallCopyProgressDialog() {
    gSetCopyProgressFactory([] { return std::make_unique<CopyProgressDialog>(); });
}
