// The secondary windows opened from the main window: the predefined messages from the send
// panel, the preferences from the file menu, About from the help menu and the tray menu.
#include "favorites/frmFavorite.h"
#include "mainwindow/frmPelimo.h"
#include "preferences/frmSetUp.h"
#include "ui/limited_text_box.h"
#include "ui/modal_dialogs.h"

namespace {

void showSetUp(QWidget* owner, qint16 mode) {
    gSetUpMode = mode;
    frmSetUp window(owner);
    DialogSeam::execModal(&window);
}

}  // namespace

void frmPelimo::lblCmdSendFavori_Click() {
    {
        frmFavorite window(this);
        DialogSeam::execModal(&window);
    }
    // The text taken replaces the message being written; addressees and attachment stay.
    if (!gFavoriteText.isEmpty())
        txtSendMessage->setText(gFavoriteText);
}

void frmPelimo::MenuSetting_Click() {
    showSetUp(this, kSetUpPreferences);
}

void frmPelimo::MenuAbout_Click() {
    showSetUp(this, kSetUpAbout);
}

void frmPelimo::MHideAbout_Click() {
    showSetUp(this, kSetUpAbout);
}
