// The attachment fetch against a server played by the test through the client context's file
// functions: a large read the server breaks off is taken up again, and one it keeps refusing
// ends the copy with the read's error.
#include <gtest/gtest.h>
#include <libsmbclient.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "platform/smb_file_fetch.h"

namespace {

using pelimo::platform::fetchSmbFile;
using pelimo::platform::SmbFetchControl;
using pelimo::platform::SmbFetchStatus;

// The shared file and how the played server treats reads: after `goodReads` reads, a read
// larger than `breaksAbove` returns half of what it asks for, and the next one fails with
// EINVAL, `breaks` times in all.
struct PlayedServer {
    QByteArray file;
    int goodReads = 1;
    size_t breaksAbove = 512u << 10;
    int breaks = 1;
    qint64 offset = 0;
    int reads = 0;
    bool brokenOff = false;
};
PlayedServer* gServer = nullptr;
SMBCFILE* const kFile = reinterpret_cast<SMBCFILE*>(&gServer);

SMBCFILE* playedOpen(SMBCCTX*, const char*, int, mode_t) {
    return kFile;
}
int playedFstat(SMBCCTX*, SMBCFILE*, struct stat* status) {
    std::memset(status, 0, sizeof *status);
    status->st_mode = S_IFREG | 0644;
    status->st_size = gServer->file.size();
    return 0;
}
ssize_t playedRead(SMBCCTX*, SMBCFILE*, void* buffer, size_t count) {
    PlayedServer& server = *gServer;
    if (server.brokenOff ||
        (++server.reads > server.goodReads && count > server.breaksAbove && server.breaks > 0)) {
        if (server.brokenOff) {
            server.brokenOff = false;
            --server.breaks;
            errno = EINVAL;
            return -1;
        }
        server.brokenOff = true;
        count /= 2;
    }
    const qint64 size = std::min<qint64>(qint64(count), server.file.size() - server.offset);
    std::memcpy(buffer, server.file.constData() + server.offset, size_t(size));
    server.offset += size;
    return ssize_t(size);
}
off_t playedLseek(SMBCCTX*, SMBCFILE*, off_t offset, int whence) {
    if (whence != SEEK_SET)
        return -1;
    gServer->offset = offset;
    return offset;
}
int playedClose(SMBCCTX*, SMBCFILE*) {
    return 0;
}

class SmbFileFetchTest : public ::testing::Test {
protected:
    SmbFileFetchTest() {
        gServer = &server_;
        for (int i = 0; i < (6 << 20) / 4; ++i)
            server_.file.append(reinterpret_cast<const char*>(&i), 4);
        control_.prepareContext = [](SMBCCTX* ctx) {
            smbc_setFunctionOpen(ctx, playedOpen);
            smbc_setFunctionFstat(ctx, playedFstat);
            smbc_setFunctionRead(ctx, playedRead);
            smbc_setFunctionLseek(ctx, playedLseek);
            smbc_setFunctionClose(ctx, playedClose);
        };
    }
    ~SmbFileFetchTest() override { gServer = nullptr; }
    QString destination() const { return dir_.filePath(QStringLiteral("copy.bin")); }

    PlayedServer server_;
    SmbFetchControl control_;
    QTemporaryDir dir_;
};

TEST_F(SmbFileFetchTest, AReadTheServerBreaksOffIsTakenUpAgain) {
    const auto result = fetchSmbFile("smb://PEER/share/file.bin", destination(), {}, control_);
    ASSERT_EQ(result.status, SmbFetchStatus::Copied) << result.error.toStdString();
    QFile copy(destination());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copy.readAll() == server_.file) << "the copy differs from the shared file";
    EXPECT_EQ(server_.breaks, 0);
}

TEST_F(SmbFileFetchTest, AServerThatKeepsRefusingEndsTheCopyWithItsError) {
    server_.goodReads = 0;
    server_.breaksAbove = 0;
    server_.breaks = 1000;
    const auto result = fetchSmbFile("smb://PEER/share/file.bin", destination(), {}, control_);
    EXPECT_EQ(result.status, SmbFetchStatus::Failed);
    EXPECT_EQ(result.errorNumber, EINVAL);
    EXPECT_FALSE(QFile::exists(destination())) << "no part of the file is left";
    EXPECT_LT(server_.reads, 20);
}

}  // namespace
