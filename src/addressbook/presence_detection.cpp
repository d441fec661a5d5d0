#include "addressbook/presence_detection.h"

#include <chrono>
#include <thread>

#include "addressbook/network_walk.h"
#include "addressbook/worker_call.h"
#include "stores/contacts.h"
#include "stores/settings.h"
#include "transport/message_codec.h"

void gMarkFoundComputers() {
    for (int position = 1; position <= ContactList.Count; ++position)
        ContactList[position].Connected = false;
    const qint32 found = gNbFoundComputer;
    for (qint32 entry = 1; entry <= found; ++entry) {
        gLetEventsRun();
        // The events may not touch the found list, but stay safe if they did.
        if (entry > static_cast<qint32>(gFoundComputers.size()))
            break;
        const FoundComputer computer = gFoundComputers[static_cast<std::size_t>(entry - 1)];
        qint16 position = gSearchContactWithComputerName(computer.ComputerName);
        if (position == 0) {
            if (!gFctAddContact(computer.ComputerName, computer.ComputerName, QString(), QString()))
                continue;
            position = ContactList.Count;
        }
        ContactList[position].Connected = true;
        ContactList[position].UserGroupName = computer.GroupName;
    }
}

void gRequestIdentifications(const std::function<void()>& progress) {
    using Clock = std::chrono::steady_clock;
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::max(0.0, Settings.IdentificationSendDelay)));
    const int count = ContactList.Count;
    for (int position = 1; position <= count; ++position) {
        gLetEventsRun();
        if (position > ContactList.Count)
            break;  // the events removed contacts meanwhile
        const auto sent = Clock::now();
        gSendIdentificationRequest(ContactList[position].UserComputerName);
        if (progress)
            progress();
        std::this_thread::sleep_until(sent + delay);
    }
}
