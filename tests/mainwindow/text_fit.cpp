#include "text_fit.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/label_button.h"

namespace {

constexpr int kIconTopMargin = 2;  // where a label-button draws its icon

QString nameOf(const QWidget* widget) {
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

QString sizeText(const QRect& rect) {
    return QStringLiteral("%1x%2").arg(rect.width()).arg(rect.height());
}

// The rectangle a plain-text label lays its text out in (QLabel's own rule: contents, margin,
// then the indent on the sides the text is aligned to).
QRect layoutRect(const QLabel* label) {
    QRect box = label->contentsRect();
    const int margin = label->margin();
    box.adjust(margin, margin, -margin, -margin);
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(u'x') / 2;
    if (indent > 0) {
        const Qt::Alignment align = label->alignment();
        if (align & Qt::AlignLeft)
            box.setLeft(box.left() + indent);
        if (align & Qt::AlignRight)
            box.setRight(box.right() - indent);
        if (align & Qt::AlignTop)
            box.setTop(box.top() + indent);
        if (align & Qt::AlignBottom)
            box.setBottom(box.bottom() - indent);
    }
    // A label-button's text lies below its icon.
    if (const auto* button = qobject_cast<const LabelButton*>(label);
        button && !button->icon().isNull())
        box.setTop(kIconTopMargin + button->icon().deviceIndependentSize().toSize().height());
    return box;
}

void checkLabel(const QLabel* label, QStringList& problems) {
    const QRect box = layoutRect(label);
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = label->fontMetrics().boundingRect(box, flags, label->text());
    if (!box.contains(needed)) {
        problems << QStringLiteral("%1 \"%2\" needs %3, has %4")
                        .arg(nameOf(label), label->text(), sizeText(needed), sizeText(box));
    }
}

void checkButton(const QAbstractButton* button, QStringList& problems) {
    // A push button's style asks for a minimum width of its own; its text and frame are what count.
    QSize needed = button->sizeHint();
    if (qobject_cast<const QPushButton*>(button)) {
        constexpr int kFrameAndPadding = 8;
        needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()) +
                 QSize(kFrameAndPadding, kFrameAndPadding);
    }
    if (needed.width() > button->width() || needed.height() > button->height()) {
        problems << QStringLiteral("%1 \"%2\" needs %3x%4, has %5")
                        .arg(nameOf(button), button->text())
                        .arg(needed.width())
                        .arg(needed.height())
                        .arg(sizeText(button->rect()));
    }
}

// Whether a sibling stacked above `widget` hides it whole (the send panel's attachment row lies
// under the tall message box).
bool covered(const QWidget* widget) {
    const QObjectList& siblings = widget->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
        const auto* above = qobject_cast<const QWidget*>(siblings[i]);
        if (above != nullptr && above->isVisible() &&
            above->geometry().contains(widget->geometry())) {
            return true;
        }
    }
    return false;
}

bool showsText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return !label->text().isEmpty();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return !button->text().isEmpty();
    return false;
}

}  // namespace

QStringList textsThatDoNotFit(const QWidget* window) {
    QStringList problems;
    QList<const QWidget*> texts;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || !showsText(widget) || covered(widget))
            continue;
        texts.append(widget);
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            checkLabel(label, problems);
        else
            checkButton(qobject_cast<const QAbstractButton*>(widget), problems);
        if (!widget->parentWidget()->rect().contains(widget->geometry())) {
            problems << QStringLiteral("%1 lies outside %2")
                            .arg(nameOf(widget), nameOf(widget->parentWidget()));
        }
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (qsizetype j = i + 1; j < texts.size(); ++j) {
            if (texts[i]->parentWidget() == texts[j]->parentWidget() &&
                texts[i]->geometry().intersects(texts[j]->geometry())) {
                problems
                    << QStringLiteral("%1 overlaps %2").arg(nameOf(texts[i]), nameOf(texts[j]));
            }
        }
    }
    return problems;
}
