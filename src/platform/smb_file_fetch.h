// Reading one file from an SMB share with libsmbclient into a local file. The local file is
// written under a temporary name beside the destination and renamed into place only when the
// whole file has arrived, so a failed or cancelled fetch leaves nothing behind. Runs on the
// calling thread (one context per fetch); another thread follows the progress and may cancel.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <optional>

// libsmbclient's client context, as its header declares it.
typedef struct _SMBCCTX SMBCCTX;  // NOLINT(bugprone-reserved-identifier): the library's own name

namespace pelimo::platform {

struct SmbCredentials {
    QString user;
    QString password;
    QString workgroup;
};

enum class SmbFetchStatus { Copied, Failed, Cancelled, AccessDenied };

struct SmbFetchResult {
    SmbFetchStatus status = SmbFetchStatus::Failed;
    QString error;              // what failed, for the developer
    int errorNumber = 0;        // the failing step's system error (errno); 0 when it had none
    bool localFailure = false;  // the failing step wrote the local file, not read the share
};

// Shared between the fetching thread and the one watching it.
struct SmbFetchControl {
    std::atomic<qint64> copied{0};
    std::atomic<qint64> total{-1};  // known once the file is open
    std::atomic<bool> cancel{false};
    // Called with the client context before the file is opened: tests give it file functions
    // of their own (smbc_setFunctionRead and the like) to play a server.
    std::function<void(SMBCCTX*)> prepareContext;
};

inline constexpr int kSmbTimeoutMs = 15000;

// Fetches `url` (smb://server/share/path) to `destination`, replacing an existing file. Without
// credentials the server is asked for guest access; AccessDenied means it wants a user.
SmbFetchResult fetchSmbFile(const QByteArray& url, const QString& destination,
                            const std::optional<SmbCredentials>& credentials,
                            SmbFetchControl& control);

}  // namespace pelimo::platform
