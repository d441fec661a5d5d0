// Small builders shared by the secondary windows: controls named after their design, placed at
// their twips, painted with their design colours.
#pragma once

#include <QColor>
#include <QFont>

class LabelButton;
class QLabel;
class QWidget;

// Gives `widget` its design name and returns it.
template <class Widget>
Widget* gNamed(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Places `widget` at a rectangle given in twips.
void gPlace(QWidget* widget, int left, int top, int width, int height);

// Fills `widget` with `background` and writes its texts in `text`.
void gPaint(QWidget* widget, const QColor& background, const QColor& text);

// A plain-text label.
QLabel* gPlainLabel(QWidget* parent, const char* name);

// Arial in `points`, bold when asked.
QFont gArial(double points, bool bold = false);

// A command-row label-button with its text centred (no icon).
LabelButton* gCommandLabel(QWidget* parent, const char* name, int left, int top, int width,
                           int height);
