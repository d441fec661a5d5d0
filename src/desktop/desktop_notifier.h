// Desktop notifications through org.freedesktop.Notifications on the session bus. One
// notification stands for a burst of arriving messages: each receive tick replaces it
// (replaces_id) until the user closes it, acts on it or looks at the window. Every call is
// asynchronous, so the window never waits for the bus; without a session bus or a notification
// server nothing is shown and nothing else changes.
#pragma once

#include <QImage>
#include <QObject>
#include <QStringList>
#include <optional>

#include "desktop/notification_payload.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // The newest message of one receive tick and how many messages the tick took; `icon` is
    // shown with it.
    void notifyArrival(const ArrivedMessage& newest, int messagesInTick, const QImage& icon);
    // The user looked at the window: the burst ends and its notification is withdrawn.
    void endBurst();

    // The id of the notification shown for the current burst; 0 when none.
    quint32 currentId() const { return currentId_; }

signals:
    // The user chose the notification itself (open) or its reply action.
    void openRequested();
    void replyRequested();

private slots:
    void onActionInvoked(quint32 id, const QString& key);
    void onNotificationClosed(quint32 id, quint32 reason);

private:
    struct Request {
        ArrivedMessage newest;
        QImage icon;
    };

    void flush();
    void askCapabilities();
    void post(const Request& request);
    void close(quint32 id);
    void forgetServer();

    std::optional<QStringList> capabilities_;
    std::optional<Request> pending_;  // the newest request not yet posted
    bool busy_ = false;               // a call to the server is on its way
    quint32 currentId_ = 0;
    int burstCount_ = 0;
    quint64 burst_ = 0;  // counts ended bursts, so a late answer to an old one is withdrawn
    QDBusServiceWatcher* serverWatcher_ = nullptr;
};
