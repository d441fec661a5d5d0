#include "common/module_reset.h"

#include "attachments/unc_name.h"
#include "errorreport/error_record.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/panel_state.h"
#include "sound/wave_player.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

void resetAllModules() {
    SettingsStore::reset();
    ContactStore::reset();
    LanguageStore::reset();
    HistoryStore::reset();
    MailslotChannel::reset();
    MessageCodec::reset();
    WavePlayer::reset();
    UncNames::reset();
    PanelState::reset();
    ErrorReport::resetRecord();
    frmPelimo::setStepProbe({});
}
