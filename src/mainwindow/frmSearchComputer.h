// The flash message window: a short confirmation shown modally for a given time, then closed by
// itself.
#pragma once

#include <QDialog>
#include <QtGlobal>

class QFrame;
class QLabel;
class QTimer;

class frmSearchComputer : public QDialog {
    Q_OBJECT
public:
    frmSearchComputer(const QString& text, qint32 durationMs, QWidget* parent = nullptr);

private:
    QFrame* picFlashMessage;
    QLabel* lblLabTitleFlashMessage;
    QLabel* lblFlashMessage;
    QTimer* Timer1;

    void Form_Load(const QString& text, qint32 durationMs);
    void Timer1_Timer();
};

// ModGlobal: shows `text` in the flash message window for `durationMs` milliseconds and returns
// when the window has closed.
void gDisplayFlashMessage(const QString& text, qint32 durationMs);
