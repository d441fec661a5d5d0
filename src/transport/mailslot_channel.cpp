#include "transport/mailslot_channel.h"

MailslotControlData gStructureMailslotControl;
QString gComputerName;

namespace {
pelimo::platform::MailslotTransportConfig gConfig;
}

bool gFctInitMailSlot() {
    return false;
}
qint32 gFctScanMailSlot() {
    return -1;
}
void gAddMessageToMailslotControl(const QString& sender, const QString& addressee,
                                  const QString& text) {
    ++gStructureMailslotControl.MessageCount;
    gStructureMailslotControl.SenderList.resize(gStructureMailslotControl.MessageCount + 1);
    gStructureMailslotControl.AddresseeList.resize(gStructureMailslotControl.MessageCount + 1);
    gStructureMailslotControl.TextList.resize(gStructureMailslotControl.MessageCount + 1);
    gStructureMailslotControl.SenderList[gStructureMailslotControl.MessageCount] = sender;
    gStructureMailslotControl.AddresseeList[gStructureMailslotControl.MessageCount] = addressee;
    gStructureMailslotControl.TextList[gStructureMailslotControl.MessageCount] = text;
}
void gInitMailslotControl() {
    gStructureMailslotControl.MessageCount = 0;
    gStructureMailslotControl.SenderList.clear();
    gStructureMailslotControl.AddresseeList.clear();
    gStructureMailslotControl.TextList.clear();
}
void gCloseMailSlot() {}
void SendToPelimo(const QString&, const QString&, const QString&) {}
qint32 gFctGetComputerName(QString& name) {
    name.clear();
    return 0;
}
QString gMessageChannel() {
    return QString::fromLatin1(kDefaultMessageChannel);
}
void gSetMailslotTransportConfig(const pelimo::platform::MailslotTransportConfig& config) {
    gConfig = config;
}
const pelimo::platform::MailslotTransportConfig& gMailslotTransportConfig() {
    return gConfig;
}
bool gFlushMailslotSends(int) {
    return true;
}
void gResetMailSlot() {
    gInitMailslotControl();
    gComputerName.clear();
    gConfig = {};
}
