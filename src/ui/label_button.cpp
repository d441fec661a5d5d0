#include "ui/label_button.h"

#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/palette.h"
#include "ui/pointing_hand_cursor.h"

const QColor LabelButton::kNormalColour = Palette::kWhite;
const QColor LabelButton::kHighlightColour = Palette::kOrange;

namespace {

constexpr double kCommandPointSize = 8.25;
constexpr double kMenuPointSize = 9.75;
constexpr int kIconTopMargin = 2;

}  // namespace

LabelButton::LabelButton(Look look, QWidget* parent) : QLabel(parent), look_(look) {
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setCursor(PointingHand::cursor());
    setMouseTracking(true);
    setFocusPolicy(look_ == Look::Icon ? Qt::NoFocus : Qt::TabFocus);
    QFont font(QStringLiteral("Arial"));
    if (look_ == Look::Menu) {
        font.setPointSizeF(kMenuPointSize);
        font.setBold(true);
        font.setItalic(true);
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        font.setPointSizeF(kCommandPointSize);
        setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    }
    setFont(font);
    applyColour();
}

void LabelButton::setIcon(const QPixmap& icon) {
    icon_ = icon;
    update();
}

void LabelButton::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    applyColour();
}

void LabelButton::applyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, highlighted_ ? kHighlightColour : kNormalColour);
    setPalette(colours);
}

void LabelButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void LabelButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void LabelButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved();
}

void LabelButton::keyPressEvent(QKeyEvent* event) {
    const bool press = (event->key() == Qt::Key_Space && !event->isAutoRepeat()) ||
                       event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!press || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    emit clicked();
}

void LabelButton::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    update();
}

void LabelButton::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    update();
}

void LabelButton::paintEvent(QPaintEvent* event) {
    if (!icon_.isNull()) {
        QPainter painter(this);
        const QSize size = icon_.deviceIndependentSize().toSize();
        const int left = (width() - size.width()) / 2;
        const int top = look_ == Look::Icon ? (height() - size.height()) / 2 : kIconTopMargin;
        painter.drawPixmap(left, top, icon_);
    }
    QLabel::paintEvent(event);
    if (hasFocus()) {
        // The keyboard focus: a dotted frame in the text colour, which hovering leaves alone.
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
