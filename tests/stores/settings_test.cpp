#include <gtest/gtest.h>

#include "common/full_disk.h"
#include "common/test_folder.h"
#include "stores/application.h"
#include "stores/number_text.h"
#include "stores/settings.h"

namespace {

void loadFresh() {
    SettingsStore::reset();
    gLoadSettingsIni();
}

}  // namespace

TEST(Settings, DefaultsWithoutAFileAndNoFileCreated) {
    TestFolder folder;
    loadFresh();
    EXPECT_EQ(Settings.OpenWindows, 1);
    EXPECT_EQ(Settings.PlaySound, 1);
    EXPECT_EQ(Settings.MinimizedWindows, 1);
    EXPECT_EQ(Settings.FileLanguage, gApplicationFolder + "orglng.lng");
    EXPECT_TRUE(Settings.FileLanguage.startsWith(u'/'));
    EXPECT_EQ(Settings.MessageChannel, "pelimo");
    EXPECT_DOUBLE_EQ(Settings.IdentificationSendDelay, 0.15);
    EXPECT_EQ(Settings.Signup, "");
    EXPECT_FALSE(folder.exists("Settings.ini"));
}

TEST(Settings, SavedFormatAndRoundTrip) {
    TestFolder folder;
    loadFresh();
    Settings.OpenWindows = 1;
    Settings.PlaySound = 0;
    Settings.MinimizedWindows = 0;
    Settings.MessageChannel = "team";
    Settings.Signup = "a\r\nb";
    gSaveSettingsIni();
    const QByteArray file = folder.read("Settings.ini");
    EXPECT_TRUE(
        file.startsWith("[Setting]\r\nOpenWindows= 1\r\nPlaySound= 0\r\n"
                        "MinimizedWindows= 0\r\nFileLanguage=/"))
        << file.toStdString();
    EXPECT_TRUE(
        file.endsWith("MessageChannel=team\r\nIdentificationSendDelay= .15\r\n"
                      "Signup=a||b\r\n"))
        << file.toStdString();
    EXPECT_EQ(Settings.Signup, "a\r\nb") << "saving encodes a copy";

    loadFresh();
    EXPECT_EQ(Settings.OpenWindows, 1);
    EXPECT_EQ(Settings.PlaySound, 0);
    EXPECT_EQ(Settings.MinimizedWindows, 0);
    EXPECT_EQ(Settings.MessageChannel, "team");
    EXPECT_DOUBLE_EQ(Settings.IdentificationSendDelay, 0.15);
    EXPECT_EQ(Settings.Signup, "a\r\nb");
    EXPECT_TRUE(shownMessageTexts().empty());
}

// A text box may hold LF or CR alone: every line break is stored as "||", so the value stays on
// its line and the keys after it survive.
TEST(Settings, ASignatureWithAnyLineBreaksKeepsTheFileWhole) {
    TestFolder folder;
    loadFresh();
    Settings.MessageChannel = "team";
    Settings.Signup = "one\ntwo\rthree\r\nfour";
    gSaveSettingsIni();
    EXPECT_TRUE(folder.read("Settings.ini").endsWith("Signup=one||two||three||four\r\n"));
    folder.write("Settings.ini", folder.read("Settings.ini") + "[Other]\r\nkey=v\r\n");
    Settings.Signup = "a\nb\nc";
    gSaveSettingsIni();
    loadFresh();
    EXPECT_EQ(Settings.Signup, "a\r\nb\r\nc");
    EXPECT_EQ(Settings.MessageChannel, "team");
    EXPECT_DOUBLE_EQ(Settings.IdentificationSendDelay, 0.15);
    EXPECT_TRUE(folder.read("Settings.ini").endsWith("[Other]\r\nkey=v\r\n"));
}

TEST(Settings, HandEditedValues) {
    TestFolder folder;
    folder.write("Settings.ini",
                 "[setting]\n"
                 "OpenWindows=2\n"
                 "PlaySound=  7 apples\n"
                 "MinimizedWindows=abc\n"
                 "FileLanguage=\n"
                 "MessageChannel=  chan  \n"
                 "IdentificationSendDelay= 1.25s\n"
                 "Signup=x||y|||z\n");
    loadFresh();
    EXPECT_EQ(Settings.OpenWindows, 2) << "loaded as it stands; only 1 counts as on";
    EXPECT_EQ(Settings.PlaySound, 7);
    EXPECT_EQ(Settings.MinimizedWindows, 0) << "no leading number reads as 0";
    EXPECT_EQ(Settings.FileLanguage, "") << "an empty value is empty, not the default";
    EXPECT_EQ(Settings.MessageChannel, "chan");
    EXPECT_DOUBLE_EQ(Settings.IdentificationSendDelay, 1.25);
    EXPECT_EQ(Settings.Signup, "x\r\ny\r\n|z");
}

TEST(Settings, OutOfRangeNumbersKeepThePreviousValue) {
    TestFolder folder;
    folder.write("Settings.ini",
                 "[Setting]\nOpenWindows=40000\nPlaySound=-32768\n"
                 "MinimizedWindows=99999999999999999999999\n"
                 "IdentificationSendDelay=1" +
                     QByteArray(400, '0') + "\n");
    SettingsStore::reset();
    Settings.OpenWindows = 5;
    Settings.MinimizedWindows = 6;
    Settings.IdentificationSendDelay = 3.0;
    gLoadSettingsIni();
    EXPECT_EQ(Settings.OpenWindows, 5);
    EXPECT_EQ(Settings.PlaySound, -32768);
    EXPECT_EQ(Settings.MinimizedWindows, 6);
    EXPECT_DOUBLE_EQ(Settings.IdentificationSendDelay, 3.0);
}

TEST(Settings, LongValuesAreCutTo1023Characters) {
    TestFolder folder;
    folder.write("Settings.ini", "[Setting]\nMessageChannel=" + QByteArray(100000, 'c') + "\n");
    loadFresh();
    EXPECT_EQ(Settings.MessageChannel.size(), 1023);
}

TEST(Settings, FailedSaveKeepsTheOldFileAndSaysSo) {
    TestFolder folder;
    folder.write("Settings.ini", "[Setting]\r\nMessageChannel=old\r\n");
    loadFresh();
    Settings.MessageChannel = "new";
    Application::setFolder(folder.path("missing-folder"));
    gSaveSettingsIni();
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"Error Saving Setting Data !"});
    ASSERT_FALSE(DialogSeam::shown().empty());
    EXPECT_EQ(DialogSeam::shown().back().title, "Pelimo");
    EXPECT_EQ(DialogSeam::shown().back().icon, MsgBoxIcon::None);
    EXPECT_EQ(folder.read("Settings.ini"), "[Setting]\r\nMessageChannel=old\r\n");
}

TEST(Settings, FullDiskKeepsTheOldFile) {
    TestFolder folder;
    const QByteArray old = "[Setting]\r\nOpenWindows= 0\r\n";
    folder.write("Settings.ini", old);
    loadFresh();
    Settings.Signup = QString(500, u's');
    {
        FullDisk full;
        gSaveSettingsIni();
    }
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"Error Saving Setting Data !"});
    EXPECT_EQ(folder.read("Settings.ini"), old);
}

TEST(LineBreaks, DecodeAndEncode) {
    QString text = "x||y";
    gDecodeLineBreaks(text);
    EXPECT_EQ(text, "x\r\ny");
    text = "|||";
    gDecodeLineBreaks(text);
    EXPECT_EQ(text, "\r\n|");
    text = "||||";
    gDecodeLineBreaks(text);
    EXPECT_EQ(text, "\r\n\r\n");
    text = "a\r\nb\rc\nd\r\n";
    gEncodeLineBreaks(text);
    EXPECT_EQ(text, "a||b||c||d||") << "a lone CR or LF is a line break too";
}

TEST(NumberText, LeadingNumbersAndFormat) {
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u" 1", NumberForm::WholeDigits), 1);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u"1.9", NumberForm::WholeDigits), 1);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u" .15", NumberForm::Decimal), 0.15);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u"-2.5x", NumberForm::Decimal), -2.5);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u"", NumberForm::Decimal), 0);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u"-", NumberForm::Decimal), 0);
    EXPECT_DOUBLE_EQ(NumberText::leadingNumber(u"1.2.3", NumberForm::Decimal), 1.2);
    EXPECT_EQ(NumberText::format(1), " 1");
    EXPECT_EQ(NumberText::format(0), " 0");
    EXPECT_EQ(NumberText::format(0.15), " .15");
    EXPECT_EQ(NumberText::format(2.5), " 2.5");
    EXPECT_EQ(NumberText::format(-0.5), "-.5");
    EXPECT_EQ(NumberText::format(-12), "-12");
    EXPECT_EQ(NumberText::format(100000), " 100000") << "a count is written in decimal";
    EXPECT_EQ(NumberText::format(2e6), " 2000000");
    EXPECT_EQ(NumberText::toInt16(32767.0), std::optional<qint16>(32767));
    EXPECT_EQ(NumberText::toInt16(32768.0), std::nullopt);
    EXPECT_EQ(NumberText::toInt16(2.5), std::optional<qint16>(2)) << "half rounds to even";
}
