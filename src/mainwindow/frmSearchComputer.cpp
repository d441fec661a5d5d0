#include "mainwindow/frmSearchComputer.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/modal_dialogs.h"
#include "ui/palette.h"
#include "ui/twips.h"
#include "ui/window_parts.h"

namespace {

const QColor& kFlashColour = Palette::kBlue;
const QColor& kFlashBorder = Palette::kOrange;
const QColor& kWhite = Palette::kWhite;

using WindowParts::named;
using WindowParts::paint;
using WindowParts::plainLabel;

}  // namespace

frmSearchComputer::frmSearchComputer(const QString& text, qint32 durationMs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      picFlashMessage(named(new QFrame(this), "picFlashMessage")),
      lblLabTitleFlashMessage(plainLabel(picFlashMessage, "lblLabTitleFlashMessage")),
      lblFlashMessage(plainLabel(picFlashMessage, "lblFlashMessage")),
      Timer1(named(new QTimer(this), "Timer1")) {
    setObjectName(QStringLiteral("frmSearchComputer"));
    setFixedSize(Twips::toPixels(4500), Twips::toPixels(1500));

    picFlashMessage->setGeometry(rect());
    picFlashMessage->setFrameShape(QFrame::Box);
    picFlashMessage->setLineWidth(2);
    // The frame's line is drawn in its text colour.
    paint(picFlashMessage, kFlashColour, kFlashBorder);
    picFlashMessage->hide();

    for (QLabel* label : {lblLabTitleFlashMessage, lblFlashMessage}) {
        label->setAlignment(Qt::AlignCenter);
        paint(label, kFlashColour, kWhite, false);
    }
    lblLabTitleFlashMessage->setGeometry(8, 8, width() - 16, 24);
    QFont titleFont = lblLabTitleFlashMessage->font();
    titleFont.setBold(true);
    lblLabTitleFlashMessage->setFont(titleFont);
    lblFlashMessage->setGeometry(8, 36, width() - 16, height() - 44);
    lblFlashMessage->setWordWrap(true);

    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSearchComputer::Timer1_Timer);
    Form_Load(text, durationMs);
}

void frmSearchComputer::Form_Load(const QString& text, qint32 durationMs) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(gFctGetMessage(Msg::Information));
    lblLabTitleFlashMessage->setText(gFctGetMessage(Msg::Information));
    lblFlashMessage->setText(text);
    Timer1->setInterval(std::max<qint32>(0, durationMs));
    picFlashMessage->show();
    Timer1->start();
}

void frmSearchComputer::Timer1_Timer() {
    QApplication::processEvents();
    done(QDialog::Accepted);
}

void gDisplayFlashMessage(const QString& text, qint32 durationMs) {
    frmSearchComputer window(text, durationMs, QApplication::activeWindow());
    DialogSeam::execModal(&window);
}
