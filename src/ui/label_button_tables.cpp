#include "ui/label_button_tables.h"

namespace {

constexpr char kMenuStop[] = "mColorLabelMenuStop";
constexpr char kSendStop[] = "mColorLabelSendMessageStop";
constexpr char kReceiveStop[] = "mColorLabelReceiveMessageStop";
constexpr char kHistoricStop[] = "mColorLabelHistoricStop";
constexpr char kFavoriteStop[] = "mColorLabelFavoriteStop";
constexpr char kAddressStop[] = "mColorLabelAddressStop";
constexpr char kSetUpStop[] = "mColorLabelStopSetUp";
constexpr char kAboutStop[] = "mColorLabelAboutQuit";

// Highlights of every label of `group`, each lighting itself after `reset`.
void lightThemselves(LabelButtonTable& table, const LabelButtonGroup& group, const char* reset) {
    for (const char* label : group.labels)
        table.highlights.push_back({label, label, reset});
}

// Every control of `controls` only resets `reset`.
void resetOnly(LabelButtonTable& table, std::initializer_list<const char*> controls,
               const char* reset) {
    for (const char* control : controls)
        table.resets.push_back({control, reset});
}

LabelButtonTable buildMainWindow() {
    LabelButtonTable table;
    table.groups = {
        {kMenuStop,
         {"lblMenuSendMessage", "lblMenuReadMessage", "lblMenuHistoric", "lblMenuAddressBook"}},
        {kSendStop,
         {"lblCmdSendNow", "lblCmdSendFavori", "lblCmdSendJoin", "lblCmdSendPrint", "lblCmdSendDel",
          "lblCmdSendSelectUser"},
         kMenuStop},
        {kReceiveStop,
         {"lblLabReceiveAnswer", "lblLabReceivePrint", "lblLabReceiveSaveFile"},
         kMenuStop},
        {kHistoricStop,
         {"CmdHistoricRead", "CmdHistoricDisplay", "CmdHistoricPrint", "lblCmdDeleteHistoric"},
         kMenuStop},
    };
    lightThemselves(table, table.groups[0], kMenuStop);
    // The icon label of each panel bar entry lights the entry's text label.
    table.highlights.insert(table.highlights.end(),
                            {{"lblMenuSendMessage2", "lblMenuSendMessage", kMenuStop},
                             {"lblMenuReadMessage2", "lblMenuReadMessage", kMenuStop},
                             {"lblMenuHistoric2", "lblMenuHistoric", kMenuStop},
                             {"lblMenuAddressBook2", "lblMenuAddressBook", kMenuStop}});
    lightThemselves(table, table.groups[1], kSendStop);
    lightThemselves(table, table.groups[2], kReceiveStop);
    lightThemselves(table, table.groups[3], kHistoricStop);
    table.resets.push_back({nullptr, kMenuStop});
    resetOnly(table,
              {"picSendMessage", "lblLabSendTitle", "Label2", "txtSendMessage", "txtSendUserList"},
              kSendStop);
    resetOnly(table,
              {"picReadMessage", "lblLabReceiveTitle", "Label9", "lblLabReceiveDate",
               "lblLabReceiveSendTo", "txtReceiveMessage", "picReceivePhoto"},
              kReceiveStop);
    resetOnly(table, {"Label5", "Label6", "MSFlexGrid1"}, kHistoricStop);
    return table;
}

LabelButtonTable buildFavorite() {
    LabelButtonTable table;
    table.groups = {{kFavoriteStop,
                     {"lblCmdSelectionner", "lblCmdNouveau", "lblCmdEnregistrer", "lblCmdSupprimer",
                      "lblCmdQuit"}}};
    lightThemselves(table, table.groups[0], kFavoriteStop);
    table.resets.push_back({nullptr, kFavoriteStop});
    resetOnly(table, {"lblLabSendTitle", "Label2", "File1", "txtFavoris"}, kFavoriteStop);
    return table;
}

LabelButtonTable buildAddressBook() {
    LabelButtonTable table;
    table.groups = {{kAddressStop,
                     {"lblCmdSelect", "lblCmdDetectUser", "lblCmdPhoto", "lblCmdSound",
                      "lblCmdSoundListen", "lblCmdDelete", "lblCmdQuit", "lblCmdDiagnose"}}};
    lightThemselves(table, table.groups[0], kAddressStop);
    table.resets.push_back({nullptr, kAddressStop});
    resetOnly(table, {"lblLabAddressBookTitle", "Label2", "picUser", "txtUserName", "lblUserName"},
              kAddressStop);
    return table;
}

LabelButtonTable buildSetUp() {
    LabelButtonTable table;
    table.groups = {{kSetUpStop, {"lblCmdQuit", "cmdValide"}}, {kAboutStop, {"cmdQuitAbout"}}};
    // The two commands of the preferences panel light themselves without a reset first, so both
    // may be orange together until the mouse crosses the panel.
    table.highlights = {{"cmdValide", "cmdValide", nullptr},
                        {"lblCmdQuit", "lblCmdQuit", nullptr},
                        {"cmdQuitAbout", "cmdQuitAbout", kAboutStop}};
    resetOnly(table, {"picSettings", "lblLabSetUpTitle", "Label2"}, kSetUpStop);
    resetOnly(table, {"picAbout", "lblLabAboutTitle", "Label1", "Label4"}, kAboutStop);
    return table;
}

}  // namespace

const LabelButtonTable& LabelButtonTables::mainWindow() {
    static const LabelButtonTable table = buildMainWindow();
    return table;
}

const LabelButtonTable& LabelButtonTables::favorite() {
    static const LabelButtonTable table = buildFavorite();
    return table;
}

const LabelButtonTable& LabelButtonTables::addressBook() {
    static const LabelButtonTable table = buildAddressBook();
    return table;
}

const LabelButtonTable& LabelButtonTables::setUp() {
    static const LabelButtonTable table = buildSetUp();
    return table;
}
