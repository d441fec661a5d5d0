// ModGlobal's payload codec: building and decoding the kind digit and its content, and the two
// identification datagrams.
#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "errorreport/error_record.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "transport_test_support.h"

namespace {

class MessageCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageCodec::reset();
        ErrorReport::resetRecord();
    }
    void TearDown() override { MessageCodec::reset(); }
    TestFolder folder_;
};

QString encoded(qint16 kind, const QString& path, const QString& body) {
    DecodedMessage.Kind = kind;
    DecodedMessage.AttachmentPath = path;
    gEncodeMessage(body);
    return DecodedMessage.Text;
}

}  // namespace

TEST_F(MessageCodecTest, BuildingPutsTheKindDigitAndForKindTwoThePath) {
    EXPECT_EQ(encoded(1, {}, QStringLiteral("Hello")), QStringLiteral("1Hello"));
    EXPECT_EQ(encoded(2, QStringLiteral("a\\b"), QStringLiteral("x")),
              QStringLiteral("20003a\\bx"));
    EXPECT_EQ(encoded(2, {}, QStringLiteral("text")), QStringLiteral("20000text"));
    EXPECT_EQ(encoded(3, {}, QStringLiteral("Pelimo : Identification Request")),
              QStringLiteral("3Pelimo : Identification Request"));
    EXPECT_EQ(encoded(4, {}, QString()), QStringLiteral("4"));
    // A path longer than 9999 characters gives more digits.
    EXPECT_EQ(encoded(2, QString(12345, u'p'), QString()).left(6), QStringLiteral("212345"));
    // A character the code page lacks travels as one "?", so it counts once.
    EXPECT_EQ(encoded(2, QString::fromUtf8("\U0001F600.txt"), QString()).left(5),
              QStringLiteral("20005"));
    // A kind outside 1 to 4 leaves the current text alone.
    DecodedMessage.Text = QStringLiteral("before");
    for (const qint16 kind : {0, 5, -1}) {
        DecodedMessage.Kind = kind;
        gEncodeMessage(QStringLiteral("body"));
        EXPECT_EQ(DecodedMessage.Text, QStringLiteral("before"));
    }
}

TEST_F(MessageCodecTest, DecodingByKindDigit) {
    DecodedMessage.State = kStateRead;
    gDecodeMessage(QStringLiteral("1Hello"));
    EXPECT_EQ(DecodedMessage.Kind, kKindPlain);
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("Hello"));
    EXPECT_EQ(DecodedMessage.State, kStateUnread);

    gDecodeMessage(QStringLiteral("20005c:\\x.Text"));
    EXPECT_EQ(DecodedMessage.Kind, kKindAttachment);
    EXPECT_EQ(DecodedMessage.AttachmentPath, QStringLiteral("c:\\x."));
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("Text"));
    EXPECT_EQ(DecodedMessage.State, kStateUnreadWithAttachment);

    gDecodeMessage(QStringLiteral("20000only text"));
    EXPECT_EQ(DecodedMessage.AttachmentPath, QString());
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("only text"));
    EXPECT_EQ(DecodedMessage.State, kStateUnreadWithAttachment);

    // Identification: the kind whatever the text, and the state left as it was.
    DecodedMessage.State = kStateRead;
    gDecodeMessage(QStringLiteral("3anything"));
    EXPECT_EQ(DecodedMessage.Kind, kKindIdentificationRequest);
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("anything"));
    EXPECT_EQ(DecodedMessage.State, kStateRead);
    gDecodeMessage(QStringLiteral("4"));
    EXPECT_EQ(DecodedMessage.Kind, kKindIdentificationAnswer);
    EXPECT_EQ(DecodedMessage.Text, QString());
    EXPECT_EQ(DecodedMessage.State, kStateRead);

    // No kind digit (0, 5 to 9, a letter, nothing): a plain message shown whole.
    for (const QString& payload :
         {QStringLiteral("0zero"), QStringLiteral("5five"), QStringLiteral("7seven"),
          QStringLiteral("9"), QStringLiteral("Hello"), QStringLiteral(" 1"), QString()}) {
        DecodedMessage.State = kStateRead;
        gDecodeMessage(payload);
        EXPECT_EQ(DecodedMessage.Kind, kKindPlain) << payload.toStdString();
        EXPECT_EQ(DecodedMessage.Text, payload);
        EXPECT_EQ(DecodedMessage.State, kStateUnread);
    }
}

TEST_F(MessageCodecTest, DecodingLeavesTheCallersFieldsAlone) {
    DecodedMessage.Sender = QStringLiteral("PC2");
    DecodedMessage.Addressee = QStringLiteral("PC1");
    DecodedMessage.ReceivedDate = QStringLiteral("01/02/2003");
    DecodedMessage.ReceivedTime = QStringLiteral("04:05:06");
    gDecodeMessage(QStringLiteral("20003abcdef"));
    EXPECT_EQ(DecodedMessage.Sender, QStringLiteral("PC2"));
    EXPECT_EQ(DecodedMessage.Addressee, QStringLiteral("PC1"));
    EXPECT_EQ(DecodedMessage.ReceivedDate, QStringLiteral("01/02/2003"));
    EXPECT_EQ(DecodedMessage.ReceivedTime, QStringLiteral("04:05:06"));

    gClearCurrentMessage();
    EXPECT_TRUE(DecodedMessage.Sender.isEmpty() && DecodedMessage.Addressee.isEmpty() &&
                DecodedMessage.ReceivedDate.isEmpty() && DecodedMessage.ReceivedTime.isEmpty() &&
                DecodedMessage.AttachmentPath.isEmpty());
    EXPECT_EQ(DecodedMessage.Kind, kKindAttachment) << "kind, text and state stay";
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("def"));
    EXPECT_EQ(DecodedMessage.State, kStateUnreadWithAttachment);
}

TEST_F(MessageCodecTest, ALengthFieldThatDoesNotFitEmptiesItsFieldWithoutAReport) {
    struct Case {
        const char* payload;
        const char* path;
        const char* text;
    };
    const Case cases[] = {
        {"20099short", "short", ""},        // longer than the payload: no text
        {"2-001abc", "", "1abc"},           // negative: no path
        {"2", "", ""},                      // nothing after the digit
        {"2 hello world", "", "lo world"},  // not a number: 0, the text loses five characters
        {"2  12abcdefghijklmn", "abcdefghijkl", "mn"},  // leading blanks are skipped
        {"29999", "", ""},
    };
    for (const Case& item : cases) {
        // The previous message's values must not survive into this one.
        DecodedMessage.AttachmentPath = QStringLiteral("\\\\old\\share\\file");
        DecodedMessage.Text = QStringLiteral("old text");
        gDecodeMessage(QString::fromLatin1(item.payload));
        EXPECT_EQ(DecodedMessage.Kind, kKindAttachment);
        EXPECT_EQ(DecodedMessage.AttachmentPath, QString::fromLatin1(item.path)) << item.payload;
        EXPECT_EQ(DecodedMessage.Text, QString::fromLatin1(item.text)) << item.payload;
        EXPECT_EQ(DecodedMessage.State, kStateUnreadWithAttachment);
    }
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_EQ(ErrorRecord.ErrorNumber, 0);
}

TEST_F(MessageCodecTest, BuildThenDecodeGivesBackPathAndText) {
    const QString path = QStringLiteral("\\\\PC1\\share\\report 2.doc");
    const QString text = QStringLiteral("See\r\nthe file 2");
    const QString payload = encoded(2, path, text);
    DecodedMessage = {};
    gDecodeMessage(payload);
    EXPECT_EQ(DecodedMessage.AttachmentPath, path);
    EXPECT_EQ(DecodedMessage.Text, text);
    for (qint16 kind = 1; kind <= 4; ++kind) {
        const QString built = encoded(kind, {}, QStringLiteral("body"));
        gDecodeMessage(built);
        EXPECT_EQ(DecodedMessage.Kind, kind);
        EXPECT_EQ(DecodedMessage.Text, QStringLiteral("body"));
    }
}

TEST_F(MessageCodecTest, IdentificationDatagramsGoFromUsToTheNamedComputer) {
    MailslotChannel::reset();
    SettingsStore::reset();
    Settings.MessageChannel = QString::fromLatin1(uniqueChannel("ident"));
    MailslotChannel::setTransportConfig(pelimo::platform::MailslotTransportConfig::offline());
    gComputerName = QStringLiteral("PC1");
    ASSERT_TRUE(gFctInitMailSlot());

    DecodedMessage.AttachmentPath = QStringLiteral("stale");
    gSendIdentificationRequest(QString());
    EXPECT_TRUE(DecodedMessage.AttachmentPath == QStringLiteral("stale")) << "empty name: nothing";

    gSendIdentificationRequest(QStringLiteral("PC1"));  // to ourselves: delivered locally
    EXPECT_EQ(DecodedMessage.Kind, kKindIdentificationRequest);
    EXPECT_EQ(DecodedMessage.Sender, QStringLiteral("PC1"));
    EXPECT_EQ(DecodedMessage.Addressee, QStringLiteral("PC1"));
    EXPECT_TRUE(DecodedMessage.AttachmentPath.isEmpty());
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("3Pelimo : Identification Request"));
    gSendIdentificationAnswer(QStringLiteral("PC1"));
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("4Pelimo : Identification Answer"));

    ASSERT_EQ(scanUntilMessage(3000), 1);
    EXPECT_EQ(gStructureMailslotControl.TextList[1],
              QStringLiteral("3Pelimo : Identification Request"));
    EXPECT_EQ(gStructureMailslotControl.SenderList[1], QStringLiteral("PC1"));
    ASSERT_EQ(scanUntilMessage(3000), 1);
    EXPECT_EQ(gStructureMailslotControl.TextList[2],
              QStringLiteral("4Pelimo : Identification Answer"));
    MailslotChannel::reset();
    SettingsStore::reset();
}
