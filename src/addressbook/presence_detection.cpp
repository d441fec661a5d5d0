#include "addressbook/presence_detection.h"

#include <chrono>
#include <optional>
#include <thread>

#include "addressbook/detection_stop.h"
#include "addressbook/network_walk.h"
#include "addressbook/worker_call.h"
#include "stores/contacts.h"
#include "stores/settings.h"
#include "transport/message_codec.h"

namespace {

constexpr char kWorkgroupRoute[] = "*";

// Present only while a detection listens.
std::optional<QStringList> mHeard;

// Adds `computerName` as a contact named after it; a full table says so with its own message
// the first time only.
bool addFoundContact(const QString& computerName, bool& refusedOnce) {
    if (ContactList.Count >= kMaxContacts && refusedOnce)
        return false;
    if (gFctAddContact(computerName, computerName, QString(), QString()))
        return true;
    refusedOnce = true;
    return false;
}

}  // namespace

void PresenceDetection::beginHearing() {
    mHeard.emplace();
}

void PresenceDetection::noteHeard(const QString& computerName) {
    if (!mHeard || computerName.isEmpty() || mHeard->size() >= kMaxHeardComputers ||
        mHeard->contains(computerName, Qt::CaseInsensitive))
        return;
    mHeard->append(computerName);
}

QStringList PresenceDetection::endHearing() {
    QStringList heard = mHeard.value_or(QStringList());
    mHeard.reset();
    return heard;
}

void PresenceDetection::requestWorkgroupIdentification() {
    gSendIdentificationRequest(QString::fromLatin1(kWorkgroupRoute));
}

void PresenceDetection::markFoundComputers(const QStringList& heard) {
    for (int position = 1; position <= ContactList.Count; ++position)
        ContactList[position].Connected = false;
    bool refusedOnce = false;
    const qint32 found = gNbFoundComputer;
    for (qint32 entry = 1; entry <= found; ++entry) {
        WorkerCall::letEventsRun();
        // The events may not touch the found list, but stay safe if they did.
        if (entry > static_cast<qint32>(gFoundComputers.size()))
            break;
        const FoundComputer computer = gFoundComputers[static_cast<std::size_t>(entry - 1)];
        qint16 position = gSearchContactWithComputerName(computer.ComputerName);
        if (position == 0) {
            if (!addFoundContact(computer.ComputerName, refusedOnce))
                continue;
            position = ContactList.Count;
        }
        ContactList[position].Connected = true;
        ContactList[position].UserGroupName = computer.GroupName;
    }
    for (const QString& name : heard) {
        qint16 position = gSearchContactWithComputerName(name);
        if (position == 0) {
            if (!addFoundContact(name, refusedOnce))
                continue;
            position = ContactList.Count;
        }
        ContactList[position].Connected = true;
        ContactList[position].Ready = true;
    }
}

void PresenceDetection::requestIdentifications(const std::function<void()>& progress) {
    using Clock = std::chrono::steady_clock;
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::max(0.0, Settings.IdentificationSendDelay)));
    const int count = ContactList.Count;
    for (int position = 1; position <= count; ++position) {
        WorkerCall::letEventsRun();
        if (position > ContactList.Count || DetectionStop::instance().requested())
            break;  // the events removed contacts or stopped the detection meanwhile
        const auto sent = Clock::now();
        gSendIdentificationRequest(ContactList[position].UserComputerName);
        if (progress)
            progress();
        std::this_thread::sleep_until(sent + delay);
    }
}
