// The label-buttons of every window, by the object names of the windows' controls: their reset
// groups, the controls that light them and the controls whose mouse moves only reset.
#pragma once

#include "ui/label_button_hover.h"

namespace LabelButtonTables {

const LabelButtonTable& mainWindow();
const LabelButtonTable& favorite();
const LabelButtonTable& addressBook();
const LabelButtonTable& setUp();

}  // namespace LabelButtonTables
