// Whether the texts of a window fit their boxes, measured with the fonts the window uses: each
// caption inside its label (word-wrapped where the label wraps, below a label-button's icon), each
// label inside its parent, and no two captions of one parent on top of each other.
#pragma once

#include <QStringList>

class QWidget;

// One line per text that does not fit or overlaps another, naming the widgets; empty when all fit.
QStringList textsThatDoNotFit(const QWidget* window);
