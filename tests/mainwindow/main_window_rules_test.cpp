// The core rules behind the main window: the count line, the date lines, safe display texts and
// presence from identification datagrams.
#include <gtest/gtest.h>

#include <QLocale>

#include "common/test_folder.h"
#include "main_window_fixture.h"
#include "mainwindow/display_text.h"
#include "mainwindow/history_count_line.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/presence.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/language_file.h"

namespace {

class CoreRulesTest : public ::testing::Test {
protected:
    CoreRulesTest() { resetAllModules(); }
    ~CoreRulesTest() override { resetAllModules(); }

    static void addEntry(qint16 state, const QString& attachment = {}) {
        HistoryEntry entry;
        entry.Kind = attachment.isEmpty() ? kKindPlain : kKindAttachment;
        entry.AttachmentPath = attachment;
        entry.State = state;
        HistoryList.add(entry);
    }

    TestFolder folder_;
};

TEST_F(CoreRulesTest, CountLineGivesTotalAndUnreadWithTheBlanksOfTheirSigns) {
    folder_.write(QStringLiteral("l.lng"),
                  "[Langage]\r\nNbMessage=60\r\n00054=messages\r\n00055=unread\r\n");
    gLoadLanguageFile(folder_.path(QStringLiteral("l.lng")));
    EXPECT_EQ(HistoryCountLine::text(), QStringLiteral(" 0 messages  0 unread"));
    addEntry(kStateUnread);
    addEntry(kStateRead);
    addEntry(kStateUnreadWithAttachment, QStringLiteral("\\\\PC\\s\\f"));
    EXPECT_EQ(HistoryCountLine::text(), QStringLiteral(" 3 messages  2 unread"));
    // Removed entries no longer count, though their slots stay.
    gDeleteHistoricMessage(1);
    EXPECT_EQ(HistoryCountLine::text(), QStringLiteral(" 2 messages  1 unread"));
}

TEST_F(CoreRulesTest, CountLineWithoutLanguageFileStillCounts) {
    addEntry(kStateUnread);
    EXPECT_EQ(HistoryCountLine::text(),
              QStringLiteral(" 1 Error Getting Message  1 Error Getting Message"));
}

TEST_F(CoreRulesTest, ArrivalStampsAndTheirLongForm) {
    const QDateTime moment(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(MessageDates::arrivalDate(moment.date()), QStringLiteral("05/03/2024"));
    EXPECT_EQ(MessageDates::arrivalTime(QTime(23, 59, 1)), QStringLiteral("23:59:01"));
    const QString longDate =
        QLocale::system().toString(QDate(2024, 3, 5), QStringLiteral("dddd dd MMMM yyyy"));
    EXPECT_EQ(MessageDates::longDate(moment.date()), longDate);
    EXPECT_EQ(MessageDates::clockLine(moment), longDate + QStringLiteral(" - 07:08:09"));
    // The stored date is read as day, month, year.
    EXPECT_EQ(
        MessageDates::arrivalDateLine(QStringLiteral("05/03/2024"), QStringLiteral("07:08:09")),
        longDate + QStringLiteral(" 07:08:09"));
    // A stored date in another form is shown as it is rather than failing.
    EXPECT_EQ(MessageDates::arrivalDateLine(QStringLiteral("2024-03-05"), QStringLiteral("x")),
              QStringLiteral("2024-03-05 x"));
    EXPECT_EQ(MessageDates::arrivalDateLine(QString(), QString()), QStringLiteral(" "));
}

TEST_F(CoreRulesTest, DisplayTextsNeutraliseControlCharacters) {
    const QString hostile =
        QStringLiteral("a\tb\r\nc\x01\x1b[31m") + QChar(0x81) + QChar(0x2028) + u'd';
    const QString line = DisplayText::singleLine(hostile);
    EXPECT_EQ(line, QStringLiteral("a b  c\uFFFD\uFFFD[31m\uFFFD\uFFFDd"));
    const QString box = DisplayText::multiLine(hostile + QStringLiteral("\re"));
    EXPECT_EQ(box, QStringLiteral("a\tb\nc\uFFFD\uFFFD[31m\uFFFD\uFFFDd\ne"));
    // Markup is text: nothing else changes.
    EXPECT_EQ(DisplayText::singleLine(QStringLiteral("<b>bold</b> & é")),
              QStringLiteral("<b>bold</b> & é"));
}

TEST_F(CoreRulesTest, PresenceMarksKnownSendersAndAddsUnknownOnes) {
    gFctAddContact(QStringLiteral("Alice"), QStringLiteral("PC7"), {}, {});
    Presence::record(QStringLiteral("pc7"));
    EXPECT_TRUE(ContactList[1].Connected);
    EXPECT_TRUE(ContactList[1].Ready);
    Presence::record(QStringLiteral("PC9"));
    ASSERT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[2].UserName, QStringLiteral("PC9"));
    EXPECT_EQ(ContactList[2].UserComputerName, QStringLiteral("PC9"));
    EXPECT_TRUE(ContactList[2].UserPicturePath.isEmpty());
    EXPECT_TRUE(ContactList[2].Connected && ContactList[2].Ready);
    // A datagram without a sender names nobody.
    Presence::record(QString());
    EXPECT_EQ(ContactList.Count, 2);
}

TEST_F(CoreRulesTest, PresenceWithAFullTableMarksNobody) {
    for (int i = 1; i <= kMaxContacts; ++i) {
        gFctAddContact(QStringLiteral("U%1").arg(i), QStringLiteral("PC%1").arg(i), {}, {});
    }
    DialogSeam::clearShown();
    Presence::record(QStringLiteral("STRANGER"));
    EXPECT_EQ(ContactList.Count, kMaxContacts);
    for (int i = 1; i <= kMaxContacts; ++i)
        EXPECT_FALSE(ContactList[i].Connected || ContactList[i].Ready);
    // No modal box from the receiver: a stranger may not freeze the window.
    EXPECT_TRUE(shownMessageTexts().empty());
}

TEST_F(CoreRulesTest, MarkingReadTouchesOnlyTheNewestEntry) {
    Presence::markNewestHistoryEntryRead();  // empty history: nothing to do
    addEntry(kStateUnread);
    addEntry(kStateUnreadWithAttachment, QStringLiteral("\\\\PC\\s\\f"));
    Presence::markNewestHistoryEntryRead();
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
    EXPECT_EQ(HistoryList[2].State, kStateReadWithAttachment);
    addEntry(kStateUnread);
    Presence::markNewestHistoryEntryRead();
    EXPECT_EQ(HistoryList[3].State, kStateRead);
}

}  // namespace
