#include "ui/window_keys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <vector>

#include "ui/label_button.h"

namespace {

// The commands that leave each secondary window without taking anything, in the order they
// are tried (a window showing one of two panels has one for each).
struct CancelCommands {
    const char* window;
    std::vector<const char*> commands;
};

const std::vector<CancelCommands>& cancelCommands() {
    static const std::vector<CancelCommands> table = {
        {"frmAddressBook", {"lblCmdQuit"}}, {"DiagnosisDialog", {"lblCmdQuit"}},
        {"frmFavorite", {"lblCmdQuit"}},    {"frmSetUp", {"lblCmdQuit", "cmdQuitAbout"}},
        {"frmError", {"cmdResume"}},
    };
    return table;
}

// Presses the first visible command of `names` in `window`; false when none is shown.
bool pressFirstShown(QDialog* window, const std::vector<const char*>& names) {
    for (const char* name : names) {
        for (QWidget* control : window->findChildren<QWidget*>(QString::fromLatin1(name))) {
            if (!control->isVisible() || !control->isEnabled())
                continue;
            if (auto* label = qobject_cast<LabelButton*>(control)) {
                label->click();
                return true;
            }
            if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                button->click();
                return true;
            }
        }
    }
    return false;
}

// Turns Enter into a move to the next control.
class EnterMovesOn final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        // The box takes Tab as a move to the next control; Enter does the same.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    }
};

}  // namespace

void WindowKeys::install(QDialog* window) {
    // Label-buttons take Tab stops, but a window must not open on one, where Enter would press
    // it: when the first stop is one, the window opens on the first control that is not.
    if (window->focusWidget() == nullptr) {
        bool firstStop = true;
        for (QWidget* control = window->nextInFocusChain(); control != window;
             control = control->nextInFocusChain()) {
            if (!control->isEnabled() || !(control->focusPolicy() & Qt::TabFocus) ||
                !control->isVisibleTo(window)) {
                continue;
            }
            const bool command = qobject_cast<LabelButton*>(control) != nullptr;
            if (firstStop && !command)
                break;
            firstStop = false;
            if (!command) {
                control->setFocus();
                break;
            }
        }
    }
    const QString name = window->objectName();
    std::vector<const char*> names;
    for (const CancelCommands& entry : cancelCommands()) {
        if (name == QLatin1String(entry.window))
            names = entry.commands;
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, [window, names] {
        if (!pressFirstShown(window, names))
            window->reject();
    });
}

void WindowKeys::makeEntryBox(QPlainTextEdit* box) {
    box->setTabChangesFocus(true);
    box->installEventFilter(new EnterMovesOn(box));
}
