#include "mainwindow/display_text.h"

namespace {

bool isControl(QChar c) {
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

}  // namespace

QString DisplayText::singleLine(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        if (c == u'\r' || c == u'\n' || c == u'\t') {
            c = u' ';
        } else if (isControl(c)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return shown;
}

QString DisplayText::multiLine(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar& c : shown) {
        if (c == u'\r') {
            c = u'\n';
        } else if (c != u'\n' && c != u'\t' && isControl(c)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return shown;
}
