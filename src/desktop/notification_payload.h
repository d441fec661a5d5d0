// What a desktop notification of arriving messages says. The sender and the text come from the
// network: they are cut to a few short lines, control characters are dropped, and the body is
// escaped for servers that read it as markup. The server's capabilities decide whether the
// notification offers actions (open on the message, reply to its sender).
#pragma once

#include <QString>
#include <QStringList>

inline constexpr char kNotificationOpenAction[] = "default";
inline constexpr char kNotificationReplyAction[] = "reply";
inline constexpr int kNotificationBodyLines = 3;
inline constexpr int kNotificationLineLength = 120;
inline constexpr int kNotificationSummaryLength = 64;

// The newest message of a receive tick, as the read panel names its sender.
struct ArrivedMessage {
    QString sender;
    QString text;
};

// The words of the notification, from the language file.
struct NotificationTexts {
    QString open;
    QString reply;
    QString messagesReceived;  // follows the number of messages of a burst
};

struct NotificationPayload {
    QString summary;
    QString body;
    QStringList actions;  // key, label, key, label...
    bool operator==(const NotificationPayload&) const = default;

    // The notification for `newest`, the last of `burstCount` messages that arrived since the
    // notification was first shown; `capabilities` as the server lists them.
    static NotificationPayload build(const ArrivedMessage& newest, int burstCount,
                                     const QStringList& capabilities,
                                     const NotificationTexts& texts);
};
