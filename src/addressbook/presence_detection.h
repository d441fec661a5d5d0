// The address book's presence detection around the walk: one identification request to the
// workgroup ("*") before it, so that every running copy answers even where no browse server or
// WS-Discovery announcer runs; then the found list and the copies that answered mark and add
// contacts, and every contact is sent one identification request, paced by
// IdentificationSendDelay.
#pragma once

#include <QStringList>
#include <functional>

// Computers whose identification request or answer arrived during one detection, at most this
// many (a copy answers once; the rest of a flood is not kept).
inline constexpr int kMaxHeardComputers = 256;

namespace PresenceDetection {

// The detection starts listening: the names heard so far are forgotten.
void beginHearing();
// Called by the receiver for each identification from another computer; kept only while a
// detection listens, each name once.
void noteHeard(const QString& computerName);
// The names heard since PresenceDetection::beginHearing; listening stops.
QStringList endHearing();

// Sends the identification request to the workgroup.
void requestWorkgroupIdentification();

// Clears Connected of every contact, then for each found entry in list order (letting pending
// events run first) marks its contact connected with the entry's group, or adds it as a new
// connected contact; then the same for each computer in `heard`, whose group is left as it is.
// A full table refuses additions with its own message, shown once per call at most.
void markFoundComputers(const QStringList& heard = {});

// One identification request per contact, in position order: pending events run first, then the
// request, `progress`, and a wait until IdentificationSendDelay seconds have passed since the
// request (a monotonic clock; no events processed while waiting). A stopped detection sends no
// more.
void requestIdentifications(const std::function<void()>& progress);

}  // namespace PresenceDetection
