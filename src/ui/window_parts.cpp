#include "ui/window_parts.h"

#include <QLabel>

#include "stores/language_file.h"
#include "ui/label_button.h"
#include "ui/twips.h"

namespace WindowParts {

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Twips::rect(left, top, width, height));
}

void place(QWidget* widget, const Twips::Rect& twips) {
    widget->setGeometry(Twips::rect(twips));
}

void paint(QWidget* widget, const QColor& background, const QColor& text, bool fill) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::Base, background);
    colours.setColor(QPalette::WindowText, text);
    colours.setColor(QPalette::Text, text);
    widget->setPalette(colours);
    widget->setAutoFillBackground(fill);
}

QLabel* plainLabel(QWidget* parent, const char* name) {
    auto* label = named(new QLabel(parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setLanguageText(QLabel* label, int message) {
    if (const QString* text = LanguageTable.message(message))
        label->setText(*text);
}

QFont arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* titleLabel(QWidget* parent, const char* name, int width, double points) {
    QLabel* title = plainLabel(parent, name);
    place(title, 0, 0, width, 390);
    title->setFont(arial(points, true));
    title->setIndent(Twips::toPixels(120));
    return title;
}

LabelButton* commandLabel(QWidget* parent, const char* name, int left, int top, int width,
                          int height) {
    auto* button = named(new LabelButton(LabelButton::Look::Command, parent), name);
    place(button, left, top, width, height);
    button->setAlignment(Qt::AlignCenter);
    return button;
}

}  // namespace WindowParts
