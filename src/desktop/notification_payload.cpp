#include "desktop/notification_payload.h"

#include <QRegularExpression>

namespace {

constexpr char kBodyMarkupCapability[] = "body-markup";
constexpr char kActionsCapability[] = "actions";
const QChar kEllipsis(0x2026);

// One line of at most `length` characters without control characters; a cut ends with "…".
QString shortLine(QStringView text, int length) {
    QString line;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            continue;
        line.append(c);
    }
    line = line.trimmed();
    if (line.size() > length)
        line = line.left(length - 1).trimmed() + kEllipsis;
    return line;
}

}  // namespace

NotificationPayload NotificationPayload::build(const ArrivedMessage& newest, int burstCount,
                                               const QStringList& capabilities,
                                               const NotificationTexts& texts) {
    NotificationPayload payload;
    payload.summary = shortLine(newest.sender, kNotificationSummaryLength);

    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    const QStringList all = newest.text.split(lineBreak);
    for (const QString& line : all) {
        const QString shortened = shortLine(line, kNotificationLineLength);
        if (shortened.isEmpty())
            continue;
        if (lines.size() == kNotificationBodyLines) {
            // More follows: the last line shown says so.
            if (!lines.back().endsWith(kEllipsis))
                lines.back().append(kEllipsis);
            break;
        }
        lines.append(shortened);
    }
    if (burstCount > 1)
        lines.append(QString::number(burstCount) + u' ' + texts.messagesReceived);
    payload.body = lines.join(u'\n');
    if (capabilities.contains(QLatin1String(kBodyMarkupCapability)))
        payload.body = payload.body.toHtmlEscaped();

    if (capabilities.contains(QLatin1String(kActionsCapability))) {
        payload.actions = {QString::fromLatin1(kNotificationOpenAction), texts.open,
                           QString::fromLatin1(kNotificationReplyAction), texts.reply};
    }
    return payload;
}
