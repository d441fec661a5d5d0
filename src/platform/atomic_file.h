// Whole-file reads and atomic whole-file replacement: a store is never left half-written.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace pelimo::platform {

// Writes a temporary file beside `path`, syncs it, renames it over `path` and syncs the folder. A
// short write (full disk) fails instead of leaving a cut file. On any failure the old file stays as
// it was; `error` gets the reason.
bool replaceFileAtomically(const QString& path, QByteArrayView contents, QString* error = nullptr);

// A file written under a temporary name beside its target and renamed over it by commit();
// dropped when not committed. Every write is checked whole, so a full disk is a failure. A large
// file is handed to the disk while it is written, so that the sync of commit() finds little left.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(QByteArrayView bytes);
    // Syncs, closes and renames; false (the old file untouched) on any failure.
    bool commit();
    // The reason of the last failure, and its system error number (errno).
    const QString& errorString() const { return error_; }
    int errorNumber() const { return errorNumber_; }

private:
    void discard();
    void fail(const char* step);
    void startWriteback();

    QByteArray target_;
    QByteArray temporary_;
    int fd_ = -1;
    QString error_;
    int errorNumber_ = 0;
    qint64 written_ = 0;
    qint64 handedOver_ = 0;  // bytes whose writeback was started
    qint64 settled_ = 0;     // bytes whose writeback was waited for
};

// Appends `bytes` to `path` (created when missing) in one write and makes them durable with one
// fdatasync, and a sync of the folder when the file was created. False on any failure, the file
// then perhaps ending with part of `bytes`; `error` gets the reason.
bool appendFileDurably(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Removes the temporary files `<file>.XXXXXX` that an interrupted replacement left beside each of
// `paths`: only regular files of this user with exactly that name, last changed before this
// process started. The number removed.
int removeStaleTemporaryFiles(const QStringList& paths);

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString& path);

}  // namespace pelimo::platform
