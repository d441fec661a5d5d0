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

namespace {

const QColor& kFlashColour = Palette::kBlue;
const QColor& kFlashBorder = Palette::kOrange;
const QColor& kWhite = Palette::kWhite;

}  // namespace

frmSearchComputer::frmSearchComputer(const QString& text, qint32 durationMs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      picFlashMessage(new QFrame(this)),
      lblLabTitleFlashMessage(new QLabel(picFlashMessage)),
      lblFlashMessage(new QLabel(picFlashMessage)),
      Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("frmSearchComputer"));
    setFixedSize(gTwipsToPixels(4500), gTwipsToPixels(1500));

    picFlashMessage->setObjectName(QStringLiteral("picFlashMessage"));
    picFlashMessage->setGeometry(rect());
    picFlashMessage->setFrameShape(QFrame::Box);
    picFlashMessage->setLineWidth(2);
    QPalette colours = picFlashMessage->palette();
    colours.setColor(QPalette::Window, kFlashColour);
    colours.setColor(QPalette::WindowText, kFlashBorder);
    picFlashMessage->setPalette(colours);
    picFlashMessage->setAutoFillBackground(true);
    picFlashMessage->hide();

    for (QLabel* label : {lblLabTitleFlashMessage, lblFlashMessage}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText, kWhite);
        label->setPalette(text);
    }
    lblLabTitleFlashMessage->setObjectName(QStringLiteral("lblLabTitleFlashMessage"));
    lblLabTitleFlashMessage->setGeometry(8, 8, width() - 16, 24);
    QFont titleFont = lblLabTitleFlashMessage->font();
    titleFont.setBold(true);
    lblLabTitleFlashMessage->setFont(titleFont);
    lblFlashMessage->setObjectName(QStringLiteral("lblFlashMessage"));
    lblFlashMessage->setGeometry(8, 36, width() - 16, height() - 44);
    lblFlashMessage->setWordWrap(true);

    Timer1->setObjectName(QStringLiteral("Timer1"));
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
