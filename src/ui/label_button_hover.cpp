#include "ui/label_button_hover.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QRegularExpression>
#include <QWidget>

#include "ui/label_button.h"

namespace {

constexpr char kHoverObjectName[] = "labelButtonHover";

}  // namespace

LabelButtonHover::LabelButtonHover(QWidget* window, const LabelButtonTable& table)
    : QObject(window) {
    setObjectName(QString::fromLatin1(kHoverObjectName));
    for (const LabelButtonGroup& entry : table.groups) {
        Group& group = groups_[QString::fromLatin1(entry.reset)];
        for (const char* name : entry.labels) {
            if (auto* label = qobject_cast<LabelButton*>(find(window, name)))
                group.labels.push_back(label);
        }
        if (entry.then != nullptr)
            group.then = QString::fromLatin1(entry.then);
    }
    for (const LabelButtonHighlight& entry : table.highlights) {
        QWidget* control = find(window, entry.control);
        auto* label = qobject_cast<LabelButton*>(find(window, entry.label));
        if (control != nullptr && label != nullptr) {
            watch(control, Action{label, entry.reset != nullptr ? QString::fromLatin1(entry.reset)
                                                                : QString()});
        }
    }
    for (const LabelButtonResetArea& entry : table.resets) {
        const Action reset{nullptr, QString::fromLatin1(entry.reset)};
        if (entry.control == nullptr) {
            watch(window, reset);
            continue;
        }
        for (QWidget* control : findAll(window, entry.control))
            watch(control, reset);
    }
}

QWidget* LabelButtonHover::find(QWidget* window, const char* name) {
    const QString wanted = QString::fromLatin1(name);
    auto* control = window->findChild<QWidget*>(wanted);
    if (control == nullptr && !missing_.contains(wanted))
        missing_.append(wanted);
    return control;
}

QList<QWidget*> LabelButtonHover::findAll(QWidget* window, const char* name) {
    // A control array ("picUser" of the cards) is a set of controls named "picUser_1", ...
    const QString wanted = QString::fromLatin1(name);
    const QRegularExpression member(
        QStringLiteral("^%1(_\\d+)?$").arg(QRegularExpression::escape(wanted)));
    QList<QWidget*> controls = window->findChildren<QWidget*>(member);
    if (controls.isEmpty() && !missing_.contains(wanted))
        missing_.append(wanted);
    return controls;
}

void LabelButtonHover::watch(QWidget* control, const Action& action) {
    // Qt delivers moves without a pressed button only to widgets that track the mouse, and the
    // moves over a text box or a grid to its viewport.
    control->setMouseTracking(true);
    control->installEventFilter(this);
    actions_[control] = action;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        area->viewport()->setMouseTracking(true);
        area->viewport()->installEventFilter(this);
        actions_[area->viewport()] = action;
    }
}

void LabelButtonHover::reset(const QString& procedure) {
    QString next = procedure;
    // A chain of resets ends at a group without a follower; a loop in a table stops after one
    // round.
    for (std::size_t round = 0; !next.isEmpty() && round <= groups_.size(); ++round) {
        const auto group = groups_.find(next);
        if (group == groups_.end())
            return;
        for (LabelButton* label : group->second.labels)
            label->setHighlighted(false);
        next = group->second.then;
    }
}

bool LabelButtonHover::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto found = actions_.find(watched);
        if (found != actions_.end()) {
            // Copied: a reset never changes the table, but the map may be searched again.
            const Action action = found->second;
            if (!action.reset.isEmpty())
                reset(action.reset);
            if (action.highlighted != nullptr)
                action.highlighted->setHighlighted(true);
        }
    }
    return QObject::eventFilter(watched, event);
}

LabelButtonHover* gInstallLabelButtons(QWidget* window, const LabelButtonTable& table) {
    delete window->findChild<LabelButtonHover*>(QString::fromLatin1(kHoverObjectName),
                                                Qt::FindDirectChildrenOnly);
    return new LabelButtonHover(window, table);
}

void gResetLabelButtons(QWidget* window, const char* procedure) {
    if (auto* hover = window->findChild<LabelButtonHover*>(QString::fromLatin1(kHoverObjectName),
                                                           Qt::FindDirectChildrenOnly)) {
        hover->reset(QString::fromLatin1(procedure));
    }
}
