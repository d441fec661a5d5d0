#include "ui/copy_progress_dialog.h"

#include <QApplication>

#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "ui/button_texts.h"

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
    ButtonText::apply(&dialog_);
    // Scripted tests never see the window; QProgressDialog shows itself only after this delay.
    dialog_.setMinimumDuration(DialogSeam::isScripted() ? std::numeric_limits<int>::max()
                                                        : kShowAfterMilliseconds);
    dialog_.setValue(0);
    elapsed_.start();
}

QString CopyProgress::text(qint64 copied, qint64 total, qint64 elapsedMs) {
    constexpr double kMegabyte = 1024.0 * 1024.0;
    const double speed =
        elapsedMs > 0 ? double(copied) / kMegabyte * 1000.0 / double(elapsedMs) : 0;
    return QStringLiteral("%1 MB / %2 MB  (%3 MB/s)")
        .arg(double(copied) / kMegabyte, 0, 'f', 1)
        .arg(double(total) / kMegabyte, 0, 'f', 1)
        .arg(speed, 0, 'f', 1);
}

bool CopyProgressDialog::progress(qint64 copied, qint64 total) {
    const int value =
        total > 0 ? static_cast<int>(std::min<qint64>(copied, total) * kScale / total) : kScale;
    dialog_.setLabelText(CopyProgress::text(copied, total, elapsed_.elapsed()));
    // A modal progress dialog processes pending events here, so Cancel can be pressed.
    if (!DialogSeam::isScripted())
        dialog_.setValue(value);
    return !dialog_.wasCanceled();
}

void CopyProgress::installDialog() {
    FileOperations::setCopyProgressFactory([] { return std::make_unique<CopyProgressDialog>(); });
}
