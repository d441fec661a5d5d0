// A label-button: a text label used as a command. White text on whatever lies behind it, a
// pointing-hand cursor, and an optional small icon drawn in its upper part with the text below.
// It reports clicks and every mouse move over it, so its window can highlight it. The keyboard
// reaches it too: Tab stops on it (a dotted frame shows the focus; a click does not take the focus
// from the box being typed in), and Space or Enter presses it. Icon labels, which repeat a text
// label's command, are left out of the Tab order.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>

class LabelButton : public QLabel {
    Q_OBJECT
public:
    static const QColor kNormalColour;     // RGB(255,255,255)
    static const QColor kHighlightColour;  // RGB(255,144,48)

    enum class Look {
        Command,  // command rows: Arial 8.25 pt, centred, icon above the text
        Menu,     // panel bar text entries: Arial 9.75 pt bold italic, left-aligned
        Icon,     // panel bar icon entries: the icon alone, centred
    };

    explicit LabelButton(Look look, QWidget* parent = nullptr);

    void setIcon(const QPixmap& icon);
    const QPixmap& icon() const { return icon_; }

    // Orange while highlighted, white otherwise.
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return highlighted_; }

    // Carries out the command, as a click does.
    void click() { emit clicked(); }

signals:
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColour();

    Look look_;
    QPixmap icon_;
    bool highlighted_ = false;
    bool pressed_ = false;
};
