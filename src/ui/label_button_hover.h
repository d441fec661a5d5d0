// The highlighting of a window's label-buttons, driven by tables. A window lists its reset
// groups (the labels one reset procedure makes white, and the reset it calls next), the controls
// whose mouse moves light a label-button (with the reset run first, if any), and the controls
// whose mouse moves only reset a group. One installer per window turns on mouse tracking where
// the table needs it (text boxes and grids through their viewports) and watches the moves.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

class LabelButton;
class QWidget;

struct LabelButtonGroup {
    const char* reset;                // the reset procedure's name
    std::vector<const char*> labels;  // made white, in this order
    const char* then = nullptr;       // the reset procedure called afterwards
};

struct LabelButtonHighlight {
    const char* control;  // the control whose mouse moves light...
    const char* label;    // ...this label-button
    const char* reset;    // reset procedure called first; nullptr: none
};

struct LabelButtonResetArea {
    const char* control;  // nullptr: the window itself
    const char* reset;
};

struct LabelButtonTable {
    std::vector<LabelButtonGroup> groups;
    std::vector<LabelButtonHighlight> highlights;
    std::vector<LabelButtonResetArea> resets;
};

class LabelButtonHover : public QObject {
    Q_OBJECT
public:
    LabelButtonHover(QWidget* window, const LabelButtonTable& table);

    // Runs the reset procedure named `procedure`, then the one it calls.
    void reset(const QString& procedure);

    // Names of the table that no control of the window carries.
    const QStringList& missingControls() const { return missing_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Group {
        std::vector<LabelButton*> labels;
        QString then;
    };
    struct Action {
        LabelButton* highlighted = nullptr;
        QString reset;
    };

    QWidget* find(QWidget* window, const char* name);
    QList<QWidget*> findAll(QWidget* window, const char* name);
    void watch(QWidget* control, const Action& action);

    std::map<QString, Group> groups_;
    std::map<QObject*, Action> actions_;
    QStringList missing_;
};

// Installs the highlighting of `table` on `window` (once; a second call replaces the first).
LabelButtonHover* gInstallLabelButtons(QWidget* window, const LabelButtonTable& table);

// Runs a reset procedure of a window whose highlighting was installed; nothing otherwise.
void gResetLabelButtons(QWidget* window, const char* procedure);
