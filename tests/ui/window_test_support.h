// Helpers of the secondary windows' tests: a language file whose message N reads "T<N>", and
// mouse moves given to the window system, which delivers them to the control under the pointer.
#pragma once

#define QTEST_QPA_MOUSE_HANDLING
#include <QTest>
#include <QWidget>

#include "common/test_folder.h"
#include "ui/label_button.h"

inline void writeNumberedLanguage(const TestFolder& folder) {
    QByteArray file = "[Langage]\r\nNbMessage=199\r\n";
    for (int i = 1; i <= 199; ++i)
        file += QStringLiteral("%1=T%2\r\n").arg(i, 5, 10, QChar(u'0')).arg(i).toLatin1();
    folder.write(QStringLiteral("orglng.lng"), file);
}

// Moves the pointer onto the middle of `control` (or `at` inside it).
inline void moveOnto(QWidget* control, QPoint at = {}) {
    QTest::mouseMove(control, at.isNull() ? control->rect().center() : at);
}

inline bool isOrange(const LabelButton* label) {
    return label->palette().color(QPalette::WindowText) == LabelButton::kHighlightColour;
}
