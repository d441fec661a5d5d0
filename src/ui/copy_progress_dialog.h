// The progress window of long file copies: a QProgressDialog with Cancel that appears when a copy
// lasts longer than a moment. In scripted mode (tests) it is never shown and never cancels.
#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>

#include "stores/file_operations.h"

class CopyProgressDialog final : public CopyProgressWindow {
public:
    // A copy shorter than this shows no window.
    static constexpr int kShowAfterMilliseconds = 500;

    CopyProgressDialog();
    bool progress(qint64 copied, qint64 total) override;
    QProgressDialog& dialog() { return dialog_; }

private:
    QProgressDialog dialog_;
    QElapsedTimer elapsed_;
};

namespace CopyProgress {

// The window's line: bytes copied, the file's size and the mean speed so far.
QString text(qint64 copied, qint64 total, qint64 elapsedMs);

// Makes every ShFileCopy show a CopyProgressDialog.
void installDialog();

}  // namespace CopyProgress
