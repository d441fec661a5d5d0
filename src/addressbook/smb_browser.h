// Browsing with libsmbclient: the workgroups of the master browser, the servers of a workgroup
// and the shares of a server, through a client context of its own (SMB1 for the browse lists,
// anonymous login). libsmbclient keeps part of its settings process-wide: this runs only in the
// browse helper process, never in the window's. Blocking.
#pragma once

#include <QString>
#include <vector>

#include "addressbook/browse_protocol.h"

namespace SmbBrowser {

// Lists `url` ("smb://", "smb://WORKGROUP", "smb://SERVER"). False with the reason in `error`
// when the listing could not be opened.
// At most `maxEntries` entries are taken.
bool list(const QString& url, std::vector<SmbEntry>& entries, QString& error,
          int maxEntries = kMaxBrowseEntries);

}  // namespace SmbBrowser
