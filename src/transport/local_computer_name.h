// The local computer's name as the transport sends and answers as, and how the transport finds
// other computers by name: all that the address book and attachments need of the transport.
#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <optional>

// The local computer name, sender of every datagram.
extern QString gComputerName;

// Sets `name` to the local computer name; returns non-zero on success, 0 on failure.
qint32 gFctGetComputerName(QString& name);

// Resolves computer names to IPv4 addresses as the sender does (learnt names, a name query, the
// system resolver). The function may be called on any thread and blocks for a moment.
using ComputerNameResolver = std::function<std::optional<std::uint32_t>(const QString& name)>;

namespace LocalComputerName {

ComputerNameResolver resolver();

}  // namespace LocalComputerName
