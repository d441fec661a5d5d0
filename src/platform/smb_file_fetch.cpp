#include "platform/smb_file_fetch.h"

#include <fcntl.h>
#include <libsmbclient.h>

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/atomic_file.h"

namespace pelimo::platform {
namespace {

// Each read asks for what the network brings in about kReadTime at the speed measured so far:
// on a fast network large reads keep several requests in flight (libsmbclient splits a read into
// requests of the server's largest size and sends them together), and on a slow one a cancel is
// still seen within about that time. The first read is small, for a network of unknown speed.
constexpr std::size_t kFirstReadBytes = std::size_t{1} << 20;
constexpr std::size_t kMinReadBytes = std::size_t{256} << 10;
constexpr std::size_t kMaxReadBytes = std::size_t{16} << 20;
constexpr std::chrono::milliseconds kReadTime{100};
// A large read that the server breaks off (Samba answers a short read, then EINVAL) is taken up
// again from where the copy stands, with reads a quarter of that size, this many times at most.
constexpr int kReadRetries = 4;

struct AuthData {
    QByteArray user;
    QByteArray password;
    QByteArray workgroup;
};

void copyInto(char* target, int size, const QByteArray& value) {
    if (size <= 0)
        return;
    const std::size_t length =
        std::min<std::size_t>(std::size_t(value.size()), std::size_t(size - 1));
    std::memcpy(target, value.constData(), length);
    target[length] = '\0';
}

void provideAuth(SMBCCTX* context, const char*, const char*, char* workgroup, int workgroupLength,
                 char* user, int userLength, char* password, int passwordLength) {
    const auto* auth = static_cast<const AuthData*>(smbc_getOptionUserData(context));
    if (auth == nullptr)
        return;
    if (!auth->workgroup.isEmpty())
        copyInto(workgroup, workgroupLength, auth->workgroup);
    copyInto(user, userLength, auth->user);
    copyInto(password, passwordLength, auth->password);
}

// One libsmbclient context, freed with its connections.
class SmbContext {
public:
    explicit SmbContext(AuthData& auth) : context_(smbc_new_context()) {
        if (context_ == nullptr)
            return;
        smbc_setOptionUserData(context_, &auth);
        smbc_setFunctionAuthDataWithContext(context_, provideAuth);
        smbc_setTimeout(context_, kSmbTimeoutMs);
        smbc_setOptionUseKerberos(context_, false);
        smbc_setOptionFallbackAfterKerberos(context_, true);
        // A wrong password must not quietly become guest access.
        smbc_setOptionNoAutoAnonymousLogin(context_, !auth.user.isEmpty());
        if (smbc_init_context(context_) == nullptr) {
            smbc_free_context(context_, 1);
            context_ = nullptr;
        }
    }
    ~SmbContext() {
        if (context_ != nullptr)
            smbc_free_context(context_, 1);
    }
    SmbContext(const SmbContext&) = delete;
    SmbContext& operator=(const SmbContext&) = delete;
    SMBCCTX* get() const { return context_; }

private:
    SMBCCTX* context_;
};

// Bytes read from the share, in a buffer of kMaxReadBytes allocated once (never zero-filled).
struct Chunk {
    std::unique_ptr<char[]> bytes{new char[kMaxReadBytes]};
    std::size_t size = 0;
};

// Writes chunks on a thread of its own, one chunk at a time.
class ChunkWriter {
public:
    explicit ChunkWriter(AtomicFileWriter& output) : output_(output), thread_([this] { run(); }) {}
    ~ChunkWriter() { finish(); }
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Swaps `chunk` with the writer's free buffer once the previous chunk is written; false when
    // a write failed.
    bool hand(Chunk& chunk) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !pending_ || failed_; });
        if (failed_)
            return false;
        std::swap(chunk, next_);
        pending_ = true;
        changed_.notify_all();
        return true;
    }
    // Waits for the last chunk; false when a write failed.
    bool finish() {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !pending_ || failed_; });
            stopping_ = true;
            changed_.notify_all();
        }
        if (thread_.joinable())
            thread_.join();
        return !failed_;
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return pending_ || stopping_; });
            if (!pending_)
                return;
            lock.unlock();
            const bool written =
                output_.write(QByteArrayView(next_.bytes.get(), qsizetype(next_.size)));
            lock.lock();
            failed_ = failed_ || !written;
            pending_ = false;
            changed_.notify_all();
        }
    }

    AtomicFileWriter& output_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Chunk next_;
    bool pending_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    std::thread thread_;
};

// The size of the next read after `bytes` took `took`.
std::size_t nextReadBytes(std::size_t bytes, std::chrono::steady_clock::duration took,
                          std::size_t ceiling) {
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    if (nanoseconds <= 0)
        return ceiling;
    const double wanted =
        double(bytes) * double(std::chrono::nanoseconds(kReadTime).count()) / double(nanoseconds);
    return std::size_t(std::clamp(wanted, double(kMinReadBytes), double(ceiling)));
}

bool isRefusal(int error) {
    return error == EACCES || error == EPERM;
}

SmbFetchResult failure(const char* step, int error) {
    const SmbFetchStatus status =
        isRefusal(error) ? SmbFetchStatus::AccessDenied : SmbFetchStatus::Failed;
    return {status,
            QString::fromLatin1(step) + QStringLiteral(": ") +
                QString::fromLocal8Bit(std::strerror(error)),
            error, false};
}

// Creating, writing or renaming the local file failed.
SmbFetchResult localFailure(const AtomicFileWriter& output) {
    return {SmbFetchStatus::Failed, output.errorString(), output.errorNumber(), true};
}

}  // namespace

SmbFetchResult fetchSmbFile(const QByteArray& url, const QString& destination,
                            const std::optional<SmbCredentials>& credentials,
                            SmbFetchControl& control) {
    AuthData auth;
    if (credentials) {
        auth = {credentials->user.toUtf8(), credentials->password.toUtf8(),
                credentials->workgroup.toUtf8()};
    }
    SmbContext context(auth);
    if (context.get() == nullptr)
        return failure("init", errno);
    SMBCCTX* ctx = context.get();
    if (control.prepareContext)
        control.prepareContext(ctx);

    SMBCFILE* file = smbc_getFunctionOpen(ctx)(ctx, url.constData(), O_RDONLY, 0);
    if (file == nullptr)
        return failure("open", errno);
    struct FileCloser {
        SMBCCTX* ctx;
        SMBCFILE* file;
        ~FileCloser() { smbc_getFunctionClose(ctx)(ctx, file); }
    } closer{ctx, file};

    struct stat status {};
    if (smbc_getFunctionFstat(ctx)(ctx, file, &status) < 0)
        return failure("stat", errno);
    if (S_ISDIR(status.st_mode))
        return {SmbFetchStatus::Failed, QStringLiteral("stat: a folder"), EISDIR, false};
    control.total = status.st_size;
    if (control.cancel)
        return {SmbFetchStatus::Cancelled, {}};

    AtomicFileWriter output(destination);
    if (!output.isOpen())
        return localFailure(output);
    // The network is read while the previous chunk is written: two buffers change hands.
    ChunkWriter writer(output);
    Chunk chunk;
    std::size_t wanted = kFirstReadBytes;
    std::size_t ceiling = kMaxReadBytes;
    int retries = 0;
    for (;;) {
        if (control.cancel)
            return {SmbFetchStatus::Cancelled, {}};
        const auto start = std::chrono::steady_clock::now();
        const ssize_t read = smbc_getFunctionRead(ctx)(ctx, file, chunk.bytes.get(), wanted);
        if (read < 0 && errno == EINVAL && wanted > kMinReadBytes && retries < kReadRetries) {
            ++retries;
            ceiling = std::max(kMinReadBytes, wanted / 4);
            wanted = kMinReadBytes;
            if (smbc_getFunctionLseek(ctx)(ctx, file, control.copied, SEEK_SET) == control.copied)
                continue;
            return failure("read", errno);
        }
        if (read < 0)
            return failure("read", errno);
        if (read == 0)
            break;
        wanted =
            nextReadBytes(std::size_t(read), std::chrono::steady_clock::now() - start, ceiling);
        chunk.size = std::size_t(read);
        if (!writer.hand(chunk))
            return localFailure(output);
        control.copied += read;
    }
    if (!writer.finish())
        return localFailure(output);
    if (control.cancel)
        return {SmbFetchStatus::Cancelled, {}};
    if (!output.commit())
        return localFailure(output);
    return {SmbFetchStatus::Copied, {}};
}

}  // namespace pelimo::platform
