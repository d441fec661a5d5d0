// The names under which a screen reader announces the text boxes, lists and icon-only
// label-buttons of a window: each takes the text of its caption on screen (the label beside it,
// or the title of its panel), or a language message where no caption is drawn. A window applies
// its table each time it sets its captions.
#pragma once

#include <vector>

class QWidget;

struct AccessibleCaption {
    const char* control;  // object name; a control array ("txtUserName") names every member
    const char* caption;  // object name of the label whose text names it; nullptr: `message`
    int message = 0;      // language message used when `caption` is nullptr
};

using AccessibleCaptionTable = std::vector<AccessibleCaption>;

namespace AccessibleNames {

const AccessibleCaptionTable& mainWindow();
const AccessibleCaptionTable& favorite();
const AccessibleCaptionTable& addressBook();
const AccessibleCaptionTable& setUp();
const AccessibleCaptionTable& errorReport();

// Gives each control of `table` found in `window` its accessible name.
void apply(QWidget* window, const AccessibleCaptionTable& table);

}  // namespace AccessibleNames
