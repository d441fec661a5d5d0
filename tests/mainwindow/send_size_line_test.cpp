// The send panel's size line: bytes of the code page for the longest resolved addressee, against
// the 576-byte datagram of hosts running Samba and the 512-byte SMB message of Windows.
#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "mainwindow/send_size_line.h"
#include "stores/contacts.h"
#include "stores/decoded_message.h"
#include "stores/language_file.h"

namespace {

class SendSizeLineTest : public ::testing::Test {
protected:
    SendSizeLineTest() {
        ContactStore::reset();
        ContactList.Count = 1;
        ContactList[1].UserName = QStringLiteral("bob");
        ContactList[1].UserComputerName = QStringLiteral("PCBOBCOMPUTER");
        folder_.write(QStringLiteral("t.lng"),
                      "[Langage]\r\nNbMessage=140\r\n00105=Size:\r\n00106=Samba\r\n"
                      "00107=Windows\r\n00108=SAMBA MISSES IT\r\n00109=NOBODY GETS IT\r\n");
        gLoadLanguageFile(folder_.path(QStringLiteral("t.lng")));
    }
    ~SendSizeLineTest() override {
        ContactStore::reset();
        LanguageStore::reset();
    }
    // "PCA" NUL "PCBOBCOMPUTER" NUL "1" text NUL: 20 bytes beside the text; the headers with
    // \MAILSLOT\pelimo take 82 + 88 bytes.
    static SendSize plain(const QString& text, const QString& list = QStringLiteral("pc2; BOB")) {
        return SendSizeLine::size(QStringLiteral("PCA"), list, kKindPlain, {}, text,
                                  QStringLiteral("pelimo"));
    }
    TestFolder folder_;
};

TEST_F(SendSizeLineTest, CountsCodePageBytesForTheLongestAddressee) {
    const SendSize size = plain(QStringLiteral("h\u00e9\u20ac"));  // three bytes in Windows-1252
    EXPECT_EQ(size.datagramBytes, 190 + 3);
    EXPECT_EQ(size.smbBytes, 108 + 3);
    EXPECT_EQ(SendSizeLine::text(size), QStringLiteral("Size: 193/576 Samba, 111/512 Windows"));
    // The attachment's path and its four-digit length count too.
    const SendSize attached = SendSizeLine::size(QStringLiteral("PCA"), QStringLiteral("BOB"),
                                                 kKindAttachment, QStringLiteral("\\\\PCA\\s\\f"),
                                                 QStringLiteral("h"), QStringLiteral("pelimo"));
    EXPECT_EQ(attached.datagramBytes, 190 + 1 + 4 + 9);
    // An empty list and an empty item count an empty addressee without asking about it.
    EXPECT_EQ(plain(QStringLiteral("x"), QString()).datagramBytes, 190 + 1 - 13);
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(SendSizeLineTest, SaysWhichReceiversMissAMessageBeyondALimit) {
    EXPECT_FALSE(plain(QString(386, u'x')).beyondSamba);
    const SendSize overSamba = plain(QString(387, u'x'));
    EXPECT_TRUE(overSamba.beyondSamba);
    EXPECT_FALSE(overSamba.beyondWindows);
    EXPECT_TRUE(SendSizeLine::text(overSamba).endsWith(QStringLiteral(" - SAMBA MISSES IT")));
    EXPECT_FALSE(plain(QString(404, u'x')).beyondWindows);
    const SendSize overBoth = plain(QString(405, u'x'));
    EXPECT_TRUE(overBoth.beyondWindows);
    EXPECT_TRUE(SendSizeLine::text(overBoth).endsWith(QStringLiteral(" - NOBODY GETS IT")));
}

}  // namespace
