#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include "common/test_folder.h"
#include "stores/language_box.h"
#include "stores/language_file.h"

namespace {

QString loadFile(const TestFolder& folder, const QByteArray& contents) {
    folder.write("test.lng", contents);
    LanguageStore::reset();
    gLoadLanguageFile(folder.path("test.lng"));
    return folder.path("test.lng");
}

}  // namespace

// Every case starts from an empty table.
class LanguageFile : public ::testing::Test {
protected:
    void SetUp() override { LanguageStore::reset(); }
    void TearDown() override { LanguageStore::reset(); }
};

TEST_F(LanguageFile, NumberedMessagesAndTheirErrors) {
    TestFolder folder;
    loadFile(folder,
             "[Langage]\r\nNbMessage=4\r\n00001=Send\r\n00002=Two||lines\r\n"
             "00003=a||||b|||c\r\n");
    EXPECT_EQ(gFctGetMessage(1), "Send");
    EXPECT_EQ(gFctGetMessage(2), "Two\r\nlines");
    EXPECT_EQ(gFctGetMessage(3), "a\r\n\r\nb\r\n|c");
    EXPECT_EQ(gFctGetMessage(4), "Error") << "declared but missing";
    EXPECT_EQ(gFctGetMessage(5), "Error Getting Message") << "above NbMessage";
    EXPECT_EQ(gFctGetMessage(-1), "Error Getting Message");
    EXPECT_EQ(gFctGetMessage(QStringLiteral("2")), "Two\r\nlines");
    EXPECT_EQ(gFctGetMessage(QStringLiteral(" 1")), "Send");
    EXPECT_EQ(gFctGetMessage(QStringLiteral("1.4")), "Send") << "nearest message";
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(LanguageFile, LiteralValues) {
    LanguageStore::reset();
    EXPECT_EQ(gFctGetMessage(0), "0");
    EXPECT_EQ(gFctGetMessage(QString()), "");
    EXPECT_EQ(gFctGetMessage(123456), "123456") << "six digits are a literal";
    EXPECT_EQ(gFctGetMessage(QStringLiteral("Hello")), "Hello");
    QString value = QStringLiteral("one||two");
    EXPECT_EQ(gFctGetMessage(value), "one\r\ntwo");
    EXPECT_EQ(value, "one\r\ntwo") << "the caller's value is decoded in place";
    EXPECT_EQ(gFctGetMessage(1), "Error Getting Message") << "nothing loaded";
}

TEST_F(LanguageFile, FilesThatLoadNothingKeepTheTable) {
    TestFolder folder;
    loadFile(folder, "[Langage]\r\nNbMessage=1\r\n00001=kept\r\n");
    for (const QByteArray& bad : {QByteArray("[Langage]\r\nNbMessage=0\r\n00001=x\r\n"),
                                  QByteArray("[Langage]\r\nNbMessage=abc\r\n00001=x\r\n"),
                                  QByteArray("[Langage]\r\nNbMessage=-5\r\n00001=x\r\n"),
                                  QByteArray("[Other]\r\nNbMessage=1\r\n00001=x\r\n"),
                                  QByteArray("\x00\xff garbage", 10)}) {
        folder.write("bad.lng", bad);
        gLoadLanguageFile(folder.path("bad.lng"));
        EXPECT_EQ(gFctGetMessage(1), "kept");
    }
    gLoadLanguageFile(folder.path("missing.lng"));
    EXPECT_EQ(gFctGetMessage(1), "kept");
    EXPECT_TRUE(DialogSeam::shown().empty());

    gLoadLanguageFile(QString());
    EXPECT_EQ(gFctGetMessage(1), "kept");
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].text, "Invalid language file");
    EXPECT_EQ(DialogSeam::shown()[0].title, "Information");
    EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::Critical);
}

// A setting written on another computer names its file by that computer's path.
TEST_F(LanguageFile, AMissingFileIsLookedForByNameThenTheDefaultIsTaken) {
    TestFolder folder;
    QDir(folder.path()).mkdir("Language");
    folder.write("Language/French.lng", "[Langage]\r\nNbMessage=1\r\n00001=Envoyer\r\n");
    folder.write("orglng.lng", "[Langage]\r\nNbMessage=1\r\n00001=Send\r\n");
    gLoadLanguageFile("C:\\Program Files\\Pelimo\\Language\\French.lng");
    EXPECT_EQ(gFctGetMessage(1), "Envoyer");
    gLoadLanguageFile("/elsewhere/English.lng");
    EXPECT_EQ(gFctGetMessage(1), "Send");
    folder.write("English.lng", "[Langage]\r\nNbMessage=1\r\n00001=Beside\r\n");
    gLoadLanguageFile("D:\\English.lng");
    EXPECT_EQ(gFctGetMessage(1), "Beside") << "the application folder comes first";
}

TEST_F(LanguageFile, HandEditedFiles) {
    TestFolder folder;
    // LF-only lines, odd case, blanks, quotes, a 10 000-character text, a huge count.
    loadFile(folder, "[langage]\nnbmessage = 99999999999 \n00001 = \"quoted\" \n00002=" +
                         QByteArray(10000, 'y') + "\n00003=caf\xe9\n00003=second\n");
    EXPECT_EQ(LanguageTable.count(), 99999) << "no number above five digits can be asked for";
    EXPECT_EQ(gFctGetMessage(1), "quoted");
    EXPECT_EQ(gFctGetMessage(2), QString(1023, u'y'));
    EXPECT_EQ(gFctGetMessage(3), QString::fromUtf8("café"));
    EXPECT_EQ(gFctGetMessage(99999), "Error");
}

// Every shipped language file defines messages 1 to 101 in Windows-1252, each one worded.
TEST_F(LanguageFile, ShippedFilesAreComplete) {
    const QString data = QStringLiteral(PELIMO_SOURCE_DIR "/resources/data/");
    for (const QString& name :
         {QStringLiteral("orglng.lng"), QStringLiteral("Language/English.lng"),
          QStringLiteral("Language/French.lng")}) {
        SCOPED_TRACE(name.toStdString());
        QFile file(data + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString asUtf8 = utf8.decode(bytes);
        EXPECT_FALSE(asUtf8.isEmpty());
        if (name.contains(u"French")) {
            EXPECT_TRUE(utf8.hasError()) << "accents are single Windows-1252 bytes, not UTF-8";
        }
        EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << "CR LF line ends";

        LanguageStore::reset();
        gLoadLanguageFile(data + name);
        ASSERT_GE(LanguageTable.count(), kLanguageMessageCount);
        for (int number = 1; number <= kLanguageMessageCount; ++number) {
            const QString text = gFctGetMessage(number);
            EXPECT_FALSE(text.isEmpty()) << number;
            EXPECT_NE(text, "Error") << number;
            EXPECT_FALSE(text.contains(u"||")) << number;
        }
    }
}

// Every message number the program names is worded in every shipped language file.
TEST_F(LanguageFile, EveryNamedMessageIsWordedInTheShippedFiles) {
    QFile names(QStringLiteral(PELIMO_SOURCE_DIR "/src/stores/language_messages.h"));
    ASSERT_TRUE(names.open(QIODevice::ReadOnly));
    const QString header = QString::fromUtf8(names.readAll());
    QList<int> numbers;
    const QRegularExpression entry(QStringLiteral("^\\s+(\\w+) = (\\d+),"),
                                   QRegularExpression::MultilineOption);
    for (auto match = entry.globalMatch(header); match.hasNext();)
        numbers.append(match.next().captured(2).toInt());
    ASSERT_GT(numbers.size(), 100);
    const QString data = QStringLiteral(PELIMO_SOURCE_DIR "/resources/data/");
    for (const QString& name :
         {QStringLiteral("orglng.lng"), QStringLiteral("Language/English.lng"),
          QStringLiteral("Language/French.lng")}) {
        SCOPED_TRACE(name.toStdString());
        LanguageStore::reset();
        gLoadLanguageFile(data + name);
        for (const int number : numbers) {
            const QString text = gFctGetMessage(number);
            EXPECT_FALSE(text.isEmpty()) << number;
            EXPECT_NE(text, "Error") << number;
            EXPECT_NE(text, "Error Getting Message") << number;
        }
    }
}

TEST_F(LanguageFile, LanguageBoxTitlesWithTheProgramNameAndAddsTheDetailLine) {
    DialogSeam::clearShown();
    TestFolder folder;
    loadFile(folder, "[Langage]\r\nNbMessage=56\r\n00007=Delete it?\r\n00056=Pelimo here\r\n");
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    EXPECT_EQ(LanguageBox::show(7, MsgBoxButtons::OkCancel, MsgBoxIcon::Question,
                                QStringLiteral("C:\\notes.txt")),
              MsgBoxResult::Cancel);
    LanguageBox::show(7);
    ASSERT_EQ(DialogSeam::shown().size(), 2u);
    const DialogRecord& asked = DialogSeam::shown()[0];
    EXPECT_EQ(asked.title, "Pelimo here");
    EXPECT_EQ(asked.text, "Delete it?\nC:\\notes.txt");
    EXPECT_EQ(asked.buttons, MsgBoxButtons::OkCancel);
    EXPECT_EQ(asked.icon, MsgBoxIcon::Question);
    const DialogRecord& said = DialogSeam::shown()[1];
    EXPECT_EQ(said.text, "Delete it?") << "no detail, no empty line";
    EXPECT_EQ(said.buttons, MsgBoxButtons::Ok);
}
