#include "ui/label_button_accessible.h"

#include <QAccessible>
#include <QMetaObject>

#include "ui/label_button.h"

namespace {

QAccessibleInterface* labelButtonInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(LabelButton::staticMetaObject.className()))
        return nullptr;
    auto* button = qobject_cast<LabelButton*>(object);
    return button != nullptr ? new LabelButtonAccessible(button) : nullptr;
}

}  // namespace

LabelButtonAccessible::LabelButtonAccessible(LabelButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

LabelButton* LabelButtonAccessible::button() const {
    return static_cast<LabelButton*>(widget());
}

QString LabelButtonAccessible::text(QAccessible::Text kind) const {
    if (kind != QAccessible::Name)
        return QAccessibleWidget::text(kind);
    // A name the window gave wins; otherwise the caption as it reads on screen, on one line.
    QString given = widget()->accessibleName();
    if (!given.isEmpty())
        return given;
    return button()->text().simplified();
}

QStringList LabelButtonAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void LabelButtonAccessible::doAction(const QString& actionName) {
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (!widget()->isEnabled())
        return;
    // The command runs from the event loop, as a click does: many commands open a modal window,
    // and the assistive technology that asked must get its answer first.
    LabelButton* target = button();
    QMetaObject::invokeMethod(
        target, [target] { emit target->clicked(); }, Qt::QueuedConnection);
}

QStringList LabelButtonAccessible::keyBindingsForAction(const QString& actionName) const {
    (void)actionName;
    return {};
}

void gInstallLabelButtonAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(labelButtonInterface);
}
