#include "ui/limited_text_box.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>
#include <limits>

namespace {

QString withLineFeeds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

LimitedTextBox::LimitedTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab and Shift+Tab move to the next or previous control, as in every box of the program.
    setTabChangesFocus(true);
}

QString LimitedTextBox::text() const {
    QString plain = toPlainText();
    plain.replace(u'\n', QStringLiteral("\r\n"));
    return plain;
}

void LimitedTextBox::setText(const QString& text) {
    setPlainText(withLineFeeds(text));
}

int LimitedTextBox::countedLength(const QString& plainText) {
    return static_cast<int>(plainText.size() + plainText.count(u'\n'));
}

int LimitedTextBox::room() const {
    if (maxLength_ <= 0)
        return std::numeric_limits<int>::max();
    const int selected =
        countedLength(textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'));
    return std::max(0, maxLength_ - (countedLength(toPlainText()) - selected));
}

void LimitedTextBox::keyPressEvent(QKeyEvent* event) {
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = lineBreak ? QStringLiteral("\n") : event->text();
    const bool inserts = lineBreak || (!typed.isEmpty() && typed.at(0).isPrint());
    if (inserts && !event->matches(QKeySequence::Paste) && countedLength(typed) > room()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextBox::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    QString pasted = withLineFeeds(source->text());
    int left = room();
    int keep = 0;
    while (keep < pasted.size()) {
        const int cost = pasted.at(keep) == u'\n' ? 2 : 1;
        if (cost > left)
            break;
        left -= cost;
        ++keep;
    }
    // Never keep half of a surrogate pair.
    if (keep > 0 && keep < pasted.size() && pasted.at(keep - 1).isHighSurrogate())
        --keep;
    insertPlainText(pasted.left(keep));
}
