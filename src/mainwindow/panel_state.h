// Which panel of the main window is shown: the one mode global of the main window.
#pragma once

#include <QtGlobal>

enum MainPanel : qint16 {
    kPanelSend = 1,
    kPanelRead = 2,
    kPanelHistoric = 3,
};

// 1 send panel, 2 read panel, 3 history panel.
extern qint16 gCurrentPanel;

namespace PanelState {

// Back to the send panel (tests call it between cases).
void reset();

}  // namespace PanelState
