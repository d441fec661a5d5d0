#include <gtest/gtest.h>

#include <QDir>

#include "attachments/file_name_from_path.h"
#include "attachments/network_copy.h"
#include "common/test_folder.h"
#include "platform/network_path.h"

using namespace pelimo::platform;

TEST(NetworkPath, TakesServerShareAndNamesApart) {
    const auto path = parseNetworkPath(QStringLiteral("\\\\PC1\\pub\\docs\\Plan été.odt"));
    ASSERT_TRUE(path);
    EXPECT_EQ(path->server, QStringLiteral("PC1"));
    EXPECT_EQ(path->share, QStringLiteral("pub"));
    EXPECT_EQ(path->components, QStringList({"docs", "Plan été.odt"}));
    EXPECT_EQ(smbUrlOf(*path, QStringLiteral("10.0.0.7")),
              QByteArray("smb://10.0.0.7/pub/docs/Plan%20%C3%A9t%C3%A9.odt"));
    // A name holding "%" stays that name: it is escaped, not taken as an escape.
    EXPECT_EQ(smbUrlOf(*parseNetworkPath(QStringLiteral("\\\\PC1\\p\\100%25"))),
              QByteArray("smb://PC1/p/100%2525"));
}

TEST(NetworkPath, RefusesWhatCouldLeaveTheShareOrIsNoSharePath) {
    for (const char* refused : {"\\\\A\\share\\..\\..\\etc\\passwd",
                                "\\\\A\\share\\.\\file",
                                "\\\\A\\..\\file",
                                "\\\\..\\share\\file",
                                "\\\\A\\share\\dir\\\\file",
                                "\\\\A\\share\\file\\",
                                "\\\\A\\share",
                                "\\\\A\\\\file",
                                "\\\\\\share\\file",
                                "//A/share/file",
                                "\\\\A\\share/../x",
                                "\\\\A\\share\\a:b",
                                "\\\\A\\share\\a*",
                                "\\\\A\\share\\a?",
                                "\\\\A\\share\\\"a\"",
                                "\\\\A\\share\\<a>",
                                "\\\\A\\share\\a|b",
                                "\\\\A\\share\\a\tb",
                                "\\\\user@A\\share\\f",
                                "\\\\A;x\\share\\f",
                                "\\\\A B\\share\\f",
                                "\\\\A%41\\s\\f",
                                "C:\\file",
                                "/home/file",
                                "",
                                "\\\\"}) {
        EXPECT_FALSE(parseNetworkPath(QString::fromUtf8(refused))) << refused;
    }
    EXPECT_FALSE(parseNetworkPath(QStringLiteral("\\\\A\\s\\") + QString(5000, u'x')));
    EXPECT_FALSE(parseNetworkPath(QStringLiteral("\\\\A\\s\\a") + QChar(u'\0') + u'b'));
}

TEST(NetworkCopy, ARefusedPathOrAnUnknownComputerWritesNothing) {
    TestFolder folder;
    bool resolverAsked = false;
    NetworkCopy::setResolver([&resolverAsked](const QString&) -> std::optional<std::uint32_t> {
        resolverAsked = true;
        return std::nullopt;
    });
    const QString target = folder.path(QStringLiteral("passwd"));
    EXPECT_EQ(
        NetworkCopy::copyFrom(QStringLiteral("\\\\A\\share\\..\\..\\etc\\passwd"), target, {}),
        CopyOutcome::Failed);
    EXPECT_FALSE(resolverAsked) << "a refused path must not reach the network";
    EXPECT_EQ(NetworkCopy::lastFailure(), CopyFailure::InvalidPath);
    EXPECT_EQ(NetworkCopy::copyFrom(QStringLiteral("\\\\NOWHERE\\share\\passwd"), target, {}),
              CopyOutcome::Failed);
    EXPECT_TRUE(resolverAsked);
    EXPECT_EQ(NetworkCopy::lastFailure(), CopyFailure::NameNotFound);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    NetworkCopy::setResolver({});
}

TEST(FileNameFromPath, IsWhatFollowsTheLastBackslash) {
    EXPECT_EQ(gFctGetFileNameFromPathFileName(QStringLiteral("\\\\A\\s\\d\\f.txt")), "f.txt");
    EXPECT_EQ(gFctGetFileNameFromPathFileName(QStringLiteral("\\\\A\\s\\d\\")), "");
    EXPECT_EQ(gFctGetFileNameFromPathFileName(QStringLiteral("no-backslash.txt")), "");
    EXPECT_EQ(gFctGetFileNameFromPathFileName(QStringLiteral("\\f")), "f");
    // Beyond what a 16-bit position reaches.
    EXPECT_EQ(gFctGetFileNameFromPathFileName(QString(40000, u'a') + QStringLiteral("\\b")), "b");
}
