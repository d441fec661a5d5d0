#include "platform/file_copy.h"

#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

namespace pelimo::platform {
namespace {

constexpr qint64 kChunkBytes = 1 << 20;

}  // namespace

CopyOutcome copyFile(const QString& source, const QString& destination,
                     const CopyProgress& progress, QString* error) {
    auto fail = [error](const QString& step, const QString& reason) {
        if (error)
            *error = step + QStringLiteral(": ") + reason;
        return CopyOutcome::Failed;
    };
    QString target = destination;
    if (QFileInfo(destination).isDir()) {
        target = destination + (destination.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                 QFileInfo(source).fileName();
    }
    QFile input(source);
    if (QFileInfo(source).isDir() || !input.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("open"), input.errorString());
    const qint64 total = input.size();
    // Written under a temporary name and renamed over the target by commit(); dropped otherwise.
    AtomicFileWriter output(target);
    if (!output.isOpen())
        return fail(QStringLiteral("create"), output.errorString());

    std::vector<char> chunk(static_cast<std::size_t>(kChunkBytes));
    qint64 copied = 0;
    if (progress && !progress(copied, total))
        return CopyOutcome::Cancelled;
    for (;;) {
        const qint64 read = input.read(chunk.data(), kChunkBytes);
        if (read < 0)
            return fail(QStringLiteral("read"), input.errorString());
        if (read == 0)
            break;
        if (!output.write(QByteArrayView(chunk.data(), read)))
            return fail(QStringLiteral("write"), output.errorString());
        copied += read;
        if (progress && !progress(copied, total))
            return CopyOutcome::Cancelled;
    }
    if (!output.commit())
        return fail(QStringLiteral("replace"), output.errorString());
    // The copy keeps the source's permissions, as a shell copy does.
    QFile::setPermissions(target, input.permissions());
    return CopyOutcome::Copied;
}

}  // namespace pelimo::platform
