// Browsing with libsmbclient: the workgroups of the master browser, the servers of a workgroup
// and the shares of a server, through the program's own client context (SMB1 for the browse
// lists, anonymous login). Blocking: run on a worker thread.
#pragma once

#include <QString>
#include <vector>

struct SmbEntry {
    unsigned int type = 0;  // SMBC_WORKGROUP, SMBC_SERVER, SMBC_FILE_SHARE...
    QString name;
    QString comment;
};

// Lists `url` ("smb://", "smb://WORKGROUP", "smb://SERVER"). False with the reason in `error`
// when the listing could not be opened.
bool gSmbList(const QString& url, std::vector<SmbEntry>& entries, QString& error);
