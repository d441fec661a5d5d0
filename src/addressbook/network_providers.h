// The providers of the network neighbourhood on this platform: "SMB Network" (libsmbclient
// browse lists: workgroups, their servers, the servers' shares) and "WS-Discovery" (computers
// that announce themselves, grouped by the workgroup their metadata gives). Each network call
// runs on a worker thread while the window thread keeps processing events.
#pragma once

#include <memory>

#include "addressbook/net_resource.h"

inline constexpr char kSmbProviderName[] = "SMB Network";
inline constexpr char kWsdProviderName[] = "WS-Discovery";

namespace NetworkProviders {

std::unique_ptr<NetworkBackend> make();

}  // namespace NetworkProviders
