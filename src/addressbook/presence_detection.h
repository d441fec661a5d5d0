// The address book's presence detection after the walk: the found list marks and adds contacts,
// then every contact is sent one identification request, paced by IdentificationSendDelay.
#pragma once

#include <functional>

// Clears Connected of every contact, then for each found entry in list order (letting pending
// events run first) marks its contact connected with the entry's group, or adds it as a new
// connected contact. A full table refuses the addition with its own message.
void gMarkFoundComputers();

// One identification request per contact, in position order: pending events run first, then the
// request, `progress`, and a wait until IdentificationSendDelay seconds have passed since the
// request (a monotonic clock; no events processed while waiting).
void gRequestIdentifications(const std::function<void()>& progress);
