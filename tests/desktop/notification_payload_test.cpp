// What a notification of arriving messages says: the network's text cut, cleaned and escaped
// where the server reads markup, the actions the server can show, and the count of a burst.
#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "desktop/notification_payload.h"

namespace {

const NotificationTexts kTexts{QStringLiteral("Open"), QStringLiteral("Reply"),
                               QStringLiteral("messages received")};

TEST(NotificationPayload, NetworkTextIsCutCleanedAndEscapedForMarkupServers) {
    const ArrivedMessage message{
        QStringLiteral("EVIL\x07PC ") + QString(100, u'N'),
        QStringLiteral("<b>Lunch</b> & \"you\"\r\n\r\nline two\x1b[31m\nline three\nline four")};
    const NotificationPayload plain = NotificationPayload::build(message, 1, {"body"}, kTexts);
    // No control character is left, and nothing longer than its limit.
    EXPECT_EQ(plain.summary.size(), kNotificationSummaryLength);
    EXPECT_TRUE(plain.summary.startsWith(QStringLiteral("EVILPC NNN")));
    EXPECT_TRUE(plain.summary.endsWith(QChar(0x2026)));
    // Three lines at most (blank ones skipped), the third saying that more follows.
    EXPECT_EQ(plain.body,
              QStringLiteral("<b>Lunch</b> & \"you\"\nline two[31m\nline three") + QChar(0x2026));

    const NotificationPayload markup =
        NotificationPayload::build(message, 1, {"body", "body-markup"}, kTexts);
    EXPECT_EQ(markup.body.section(u'\n', 0, 0),
              QStringLiteral("&lt;b&gt;Lunch&lt;/b&gt; &amp; &quot;you&quot;"));
    EXPECT_EQ(markup.summary, plain.summary) << "the summary is never markup";

    const ArrivedMessage longLine{QStringLiteral("PC1"), QString(500, u'x')};
    EXPECT_EQ(NotificationPayload::build(longLine, 1, {}, kTexts).body.size(),
              kNotificationLineLength);
}

TEST(NotificationPayload, ActionsOnlyWhereTheServerShowsThemAndABurstIsCounted) {
    const ArrivedMessage message{QStringLiteral("Alice"), QStringLiteral("Hello")};
    const NotificationPayload bare = NotificationPayload::build(message, 1, {"body"}, kTexts);
    EXPECT_TRUE(bare.actions.isEmpty());
    EXPECT_EQ(bare.body, QStringLiteral("Hello"));

    const NotificationPayload burst =
        NotificationPayload::build(message, 3, {"body", "actions"}, kTexts);
    EXPECT_EQ(burst.actions, (QStringList{"default", "Open", "reply", "Reply"}));
    EXPECT_EQ(burst.body, QStringLiteral("Hello\n3 messages received"));
    EXPECT_EQ(burst.summary, QStringLiteral("Alice"));
}

}  // namespace
