// What refuses a send, and the conversion of the attached file's path.
#include <gtest/gtest.h>

#include <QDir>

#include "attachments/unc_name.h"
#include "common/test_folder.h"
#include "main_window_fixture.h"
#include "mainwindow/send_rules.h"

namespace {

TEST(SendRules, RefusalsComeInTheirOrder) {
    const QString text424(424, u'x');
    EXPECT_EQ(SendRules::refusal(QString(), QString()), 57);
    EXPECT_EQ(SendRules::refusal(QString(), QStringLiteral("PC1")), 57);
    EXPECT_EQ(SendRules::refusal(text424 + u'x', QString()), 59);
    EXPECT_EQ(SendRules::refusal(text424, QString()), 58);
    EXPECT_EQ(SendRules::refusal(text424, QStringLiteral("PC1")), 0);
    // Only an empty text is refused: blanks are a message.
    EXPECT_EQ(SendRules::refusal(QStringLiteral("   "), QStringLiteral("PC1")), 0);
    // A blank addressee list is not empty: it is parsed (and then names nobody).
    EXPECT_EQ(SendRules::refusal(QStringLiteral("hi"), QStringLiteral(" ")), 0);
}

class AttachmentConversionTest : public ::testing::Test {
protected:
    AttachmentConversionTest() {
        resetAllModules();
        QDir().mkpath(folder_.path(QStringLiteral("shared/sub")));
        folder_.write(QStringLiteral("mountinfo"), QByteArray());
        UncNameSources sources;
        sources.mounts.file = folder_.path(QStringLiteral("mountinfo"));
        sources.shares.configText = "[global]\nworkgroup = WG\n[docs]\npath = " +
                                    folder_.path(QStringLiteral("shared")).toUtf8() + "\n";
        sources.shares.usershares = pelimo::platform::UsershareListing{};
        sources.computerName = QStringLiteral("HOST1");
        UncNames::setSources(sources);
    }
    ~AttachmentConversionTest() override { resetAllModules(); }
    TestFolder folder_;
};

TEST_F(AttachmentConversionTest, ASharedFileGivesItsNetworkPath) {
    const AttachmentConversion conversion =
        SendRules::convertAttachment(folder_.path(QStringLiteral("shared/sub/report.txt")));
    EXPECT_EQ(conversion.path, QStringLiteral("\\\\HOST1\\docs\\sub\\report.txt"));
    EXPECT_TRUE(conversion.warning.isEmpty());
}

TEST_F(AttachmentConversionTest, AFileOnNoShareIsRefusedNamingTheFile) {
    const QString file = folder_.path(QStringLiteral("elsewhere.txt"));
    const AttachmentConversion conversion = SendRules::convertAttachment(file);
    EXPECT_TRUE(conversion.path.isEmpty());
    EXPECT_TRUE(conversion.warning.endsWith(u'\n' + file)) << qPrintable(conversion.warning);
    EXPECT_FALSE(conversion.warning.contains(QStringLiteral("Access Denied")));
}

TEST_F(AttachmentConversionTest, SharesWhoseFoldersCannotBeReadGiveTheAccessDeniedWarning) {
    UncNameSources sources;
    sources.mounts.file = folder_.path(QStringLiteral("mountinfo"));
    sources.shares.configText = QByteArray("[global]\nworkgroup = WG\n");
    sources.shares.usershares = pelimo::platform::UsershareListing{
        .output = {},
        .errors =
            "net usershare info: unable to open /var/lib/samba/usershares/private. "
            "Permission denied\n"};
    sources.computerName = QStringLiteral("HOST1");
    UncNames::setSources(sources);
    const AttachmentConversion conversion =
        SendRules::convertAttachment(folder_.path(QStringLiteral("elsewhere.txt")));
    EXPECT_TRUE(conversion.path.isEmpty());
    EXPECT_TRUE(conversion.warning.contains(folder_.path(QStringLiteral("elsewhere.txt"))));
    EXPECT_TRUE(
        conversion.warning.endsWith(QStringLiteral("[Access Denied: Need Admin Priviledges]")));
}

TEST_F(AttachmentConversionTest, ATypedNetworkPathGoesAsItIsAndAHostileOneIsRefused) {
    const QString typed = QStringLiteral("\\\\SERVER\\share\\file.txt");
    const AttachmentConversion conversion = SendRules::convertAttachment(typed);
    EXPECT_EQ(conversion.path, typed);
    EXPECT_TRUE(conversion.warning.isEmpty());
    const QString hostile = QStringLiteral("\\\\SERVER\\share\\..\\etc\\passwd");
    EXPECT_TRUE(SendRules::convertAttachment(hostile).path.isEmpty());
    EXPECT_TRUE(SendRules::convertAttachment(QStringLiteral("relative.txt"))
                    .warning.endsWith(QStringLiteral("relative.txt")));
}

}  // namespace
