// Label-buttons to assistive technology: a screen reader sees each one as a push button named by
// its caption (an icon-only entry by the accessible name its window gives it) with a press
// action that runs its command, as a click does.
#pragma once

#include <QAccessibleWidget>

class LabelButton;

class LabelButtonAccessible : public QAccessibleWidget {
public:
    // Makes Qt build a LabelButtonAccessible for every label-button (once per process).
    static void install();

    explicit LabelButtonAccessible(LabelButton* button);

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    LabelButton* button() const;
};
