#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "platform/ansi_codec.h"

using pelimo::platform::ansiToUnicode;
using pelimo::platform::unicodeToAnsi;

TEST(AnsiCodec, EveryByteDecodesAndEncodesBackToItself) {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    const QString text = ansiToUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(unicodeToAnsi(text), all);
    // Spot checks against the code page chart.
    EXPECT_EQ(text[0x80].unicode(), 0x20AC);  // euro sign
    EXPECT_EQ(text[0x92].unicode(), 0x2019);  // right single quotation mark
    EXPECT_EQ(text[0x9F].unicode(), 0x0178);  // Y with diaeresis
    EXPECT_EQ(text[0xE9].unicode(), 0x00E9);  // e acute
    EXPECT_EQ(text[0x00].unicode(), 0x0000);
}

TEST(AnsiCodec, UndefinedBytesMapToTheirControlCharacters) {
    for (const unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const QString text = ansiToUnicode(QByteArray(1, static_cast<char>(byte)));
        EXPECT_EQ(text[0].unicode(), byte) << int(byte);
        EXPECT_EQ(unicodeToAnsi(text), QByteArray(1, static_cast<char>(byte)));
    }
}

TEST(AnsiCodec, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    EXPECT_EQ(unicodeToAnsi(QString::fromUtf8("a\u0100b")), QByteArray("a?b"));      // A macron
    EXPECT_EQ(unicodeToAnsi(QString::fromUtf8("\u4e2d\u6587")), QByteArray("??"));   // two CJK
    EXPECT_EQ(unicodeToAnsi(QString::fromUtf8("x\U0001F600y")), QByteArray("x?y"));  // one pair
    // C1 controls that the code page replaced by printable characters have no byte of their own.
    EXPECT_EQ(unicodeToAnsi(QString(QChar(0x0080))), QByteArray("?"));
    // A lone surrogate is one character too.
    EXPECT_EQ(unicodeToAnsi(QString(QChar(0xD800))), QByteArray("?"));
    EXPECT_EQ(unicodeToAnsi(QString::fromUtf8("\u20ac\u0153")), QByteArray("\x80\x9c"));
}
