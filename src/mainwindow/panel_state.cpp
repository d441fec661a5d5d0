#include "mainwindow/panel_state.h"

qint16 gCurrentPanel = kPanelSend;

void PanelState::reset() {
    gCurrentPanel = kPanelSend;
}
