// Small builders shared by the secondary windows: controls named after their design, placed at
// their twips, painted with their design colours.
#pragma once

#include <QColor>
#include <QFont>

#include "ui/twips.h"

class LabelButton;
class QLabel;
class QWidget;

namespace WindowParts {

// Gives `widget` its design name and returns it.
template <class Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Places `widget` at a rectangle given in twips.
void place(QWidget* widget, int left, int top, int width, int height);
void place(QWidget* widget, const Twips::Rect& twips);

// Gives `widget` the `background` colour, filled unless `fill` is false (the widget then stays
// transparent), and writes its texts in `text`.
void paint(QWidget* widget, const QColor& background, const QColor& text, bool fill = true);

// A plain-text label.
QLabel* plainLabel(QWidget* parent, const char* name);

// Gives `label` language message `message`; a language file without it keeps the design text.
void setLanguageText(QLabel* label, int message);

// Arial in `points`, bold when asked.
QFont arial(double points, bool bold = false);

// A window or panel title: 390 twips high at the top, bold Arial in `points`, indented.
QLabel* titleLabel(QWidget* parent, const char* name, int width, double points);

// A command-row label-button with its text centred (no icon).
LabelButton* commandLabel(QWidget* parent, const char* name, int left, int top, int width,
                          int height);

}  // namespace WindowParts
