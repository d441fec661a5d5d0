// A multi-line text box that holds its text with CR LF line breaks, as the messages carry it, and
// whose typing and pasting stop at a maximum length (each line break counting two characters).
// Text set by the program is taken whole, whatever its length. Tab moves on to the next control.
#pragma once

#include <QPlainTextEdit>

class LimitedTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LimitedTextBox(QWidget* parent = nullptr);

    // 0 = no limit.
    void setMaxLength(int maxLength) { maxLength_ = maxLength; }
    int maxLength() const { return maxLength_; }

    // The text with CR LF line breaks.
    QString text() const;
    // Takes CR LF, lone CR or LF as line breaks.
    void setText(const QString& text);

    // Keeps a strip of `pixels` at the bottom free of text, for a line drawn over it.
    void reserveBottomStrip(int pixels) { setViewportMargins(0, 0, 0, pixels); }

    // The length of a text as this box counts it: a line break counts two characters.
    static int countedLength(const QString& plainText);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Characters that may still be added in place of the current selection.
    int room() const;

    int maxLength_ = 0;
};
