// The main window on a private session bus with a stand-in desktop (desktop_bus_stub.py): the
// notifications of arriving messages and their actions, and the tray icon as a
// StatusNotifierItem with its menu. Run by desktop_bus.sh, which starts the bus and the stub.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "../mainwindow/main_window_fixture.h"
#include "desktop/desktop_notifier.h"
#include "desktop/status_notifier_item.h"
#include "stores/language_file.h"
#include "stores/settings.h"

namespace {

constexpr int kWaitMs = 5000;

// A call to the stand-in desktop's control object.
QVariant control(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.pelimo.TestDesktop"), QStringLiteral("/Control"),
        QStringLiteral("org.pelimo.TestDesktop"), method);
    call.setArguments(arguments);
    // The desktop may call back into this process before it answers: events are served meanwhile.
    // (QDBus::BlockWithGui can miss its reply and wait for ever; this wait is bounded.)
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, kWaitMs))
        << method.toStdString() << ": no answer";
    const QDBusMessage reply = pending.reply();
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply.arguments().value(0);
}

// Element `index` of `array`; undefined when it has none.
QJsonValue element(const QJsonArray& array, int index) {
    return index < array.size() ? array.at(index) : QJsonValue(QJsonValue::Undefined);
}

QJsonDocument controlJson(const QString& method) {
    return QJsonDocument::fromJson(control(method).toString().toUtf8());
}

// The calls the desktop recorded whose "call" is `name`.
QList<QJsonObject> recorded(const QString& name) {
    QList<QJsonObject> calls;
    for (const QJsonValue value : controlJson(QStringLiteral("Records")).array()) {
        if (value[QLatin1String("call")].toString() == name)
            calls.append(value.toObject());
    }
    return calls;
}

// Waits for the `count`-th Notify and returns it.
QJsonObject waitForNotify(int count) {
    QList<QJsonObject> calls;
    const bool arrived = QTest::qWaitFor(
        [&] { return (calls = recorded(QStringLiteral("Notify"))).size() >= count; }, kWaitMs);
    EXPECT_TRUE(arrived);
    EXPECT_EQ(calls.size(), count);
    return calls.value(count - 1);
}

class DesktopBusTest : public MainWindowTest {
protected:
    DesktopBusTest() {
        if (qgetenv("PELIMO_PRIVATE_SESSION_BUS").isEmpty())
            return;
        control(QStringLiteral("StopWatcher"));
        control(QStringLiteral("ServeNotifications"), {true});
        control(QStringLiteral("Forget"));
        // Message numbers of the notification's words are above the fixture's 140.
        QByteArray language = "[Langage]\r\nNbMessage=264\r\n";
        for (int i = 1; i <= 264; ++i)
            language += QStringLiteral("%1=T%2\r\n").arg(i, 5, 10, QChar(u'0')).arg(i).toLatin1();
        folder_.write(QStringLiteral("orglng.lng"), language);
    }

    void SetUp() override {
        if (qgetenv("PELIMO_PRIVATE_SESSION_BUS").isEmpty())
            GTEST_SKIP() << "runs on the private bus of desktop_bus.sh";
    }

    // The window started and hidden, as in the tray.
    frmPelimo& startHidden() {
        frmPelimo& window = start();
        window.hide();
        return window;
    }
};

TEST_F(DesktopBusTest, ABurstOfMessagesIsOneNotificationAndIdentificationsNotifyNothing) {
    writeContacts({{QStringLiteral("Alice"), QStringLiteral("PCALICE")}});
    frmPelimo& window = startHidden();
    receive("PCALICE", "ME", "1Lunch <at> 12 & more\r\nsecond line");
    const QJsonObject first = waitForNotify(1);
    EXPECT_EQ(first["app"].toString(), QStringLiteral("Pelimo"));
    EXPECT_EQ(first["replaces"].toInt(), 0);
    EXPECT_EQ(first["summary"].toString(), QStringLiteral("Alice")) << "the contact's name";
    // The server of this test reads markup: the network's text is escaped.
    EXPECT_EQ(first["body"].toString(),
              QStringLiteral("Lunch &lt;at&gt; 12 &amp; more\nsecond line"));
    EXPECT_EQ(first["actions"].toArray(), (QJsonArray{"default", "T99", "reply", "T2"}));
    const QJsonObject hints = first["hints"].toObject();
    EXPECT_EQ(hints["desktop-entry"].toString(), QStringLiteral("pelimo"));
    EXPECT_EQ(hints["category"].toString(), QStringLiteral("im.received"));
    // The program's icon: 48 x 48, four channels, every byte of it.
    EXPECT_EQ(hints["image-data"].toArray(), (QJsonArray{48, 48, 4, 48 * 48 * 4}));

    // An identification request is no message; the next message replaces the notification and
    // counts the burst.
    receive("PCBOB", "ME", "3Pelimo : Identification Request");
    receive("PCBOB", "ME", "1Are you there?");
    const QJsonObject second = waitForNotify(2);
    EXPECT_EQ(second["summary"].toString(), QStringLiteral("PCBOB"));
    EXPECT_EQ(second["replaces"].toInt(), first["id"].toInt());
    EXPECT_EQ(second["body"].toString(), QStringLiteral("Are you there?\n2 T231"));
    EXPECT_FALSE(window.isVisible()) << "OpenWindows is 0: the window stays in the tray";

    // Closed by the user: the burst is over, the next message starts a new notification.
    control(QStringLiteral("CloseByUser"),
            {QVariant::fromValue(uint(second["id"].toInt())), QVariant::fromValue(2u)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.notifier()->currentId() == 0u; }, kWaitMs));
    receive("PCBOB", "ME", "1Again");
    const QJsonObject third = waitForNotify(3);
    EXPECT_EQ(third["replaces"].toInt(), 0);
    EXPECT_EQ(third["body"].toString(), QStringLiteral("Again"));

    // The program ends: no notification of it stays behind.
    window.shutdownWithoutQuestion();
    // A notification whose Notify is still unanswered at shutdown is closed when the answer comes.
    QList<QJsonObject> closed;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !(closed = recorded(QStringLiteral("CloseNotification"))).isEmpty(); },
        kWaitMs));
    ASSERT_EQ(closed.size(), 1);
    EXPECT_EQ(closed[0]["id"].toInt(), third["id"].toInt());
}

TEST_F(DesktopBusTest, OpenShowsTheMessageAndReplyAddressesItsSender) {
    frmPelimo& window = startHidden();
    receive("PCALICE", "ME", "1First message");
    const int firstId = waitForNotify(1)["id"].toInt();
    // Another message was read from the history meanwhile: Open still shows the notified one.
    part<QPlainTextEdit>(window, "txtReceiveMessage")
        ->setPlainText(QStringLiteral("something else"));
    control(QStringLiteral("InvokeAction"),
            {QVariant::fromValue(uint(firstId)), QStringLiteral("default")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kWaitMs));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("First message"));
    EXPECT_TRUE(part<QTimer>(window, "TimerTestRead")->isActive())
        << "marked read like a message just shown";

    window.hide();
    receive("PCBOB", "ME", "1Call me");
    const QJsonObject second = waitForNotify(2);
    EXPECT_EQ(second["replaces"].toInt(), 0) << "the action ended the first burst";
    control(QStringLiteral("InvokeAction"),
            {QVariant::fromValue(uint(second["id"].toInt())), QStringLiteral("reply")});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.isVisible() && part<QWidget>(window, "picSendMessage")->isVisible(); },
        kWaitMs));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PCBOB"));
}

TEST_F(DesktopBusTest, NothingIsPostedForAWindowInFrontOrWithThePreferenceOff) {
    frmPelimo& window = start();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    receive("PCALICE", "ME", "1Seen at once");
    window.hide();
    Settings.Notifications = 0;
    receive("PCALICE", "ME", "1Switched off");
    Settings.Notifications = 1;
    receive("PCALICE", "ME", "1Now notified");
    // The first notification of the run is the third message's.
    EXPECT_EQ(waitForNotify(1)["body"].toString(), QStringLiteral("Now notified"));
}

TEST_F(DesktopBusTest, WithoutANotificationServerTheWindowWorksAsBefore) {
    control(QStringLiteral("ServeNotifications"), {false});
    frmPelimo& window = startHidden();
    receive("PCALICE", "ME", "1Nobody shows this");
    receive("PCALICE", "ME", "1Nor this");
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("Nor this"));
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible() || !window.isVisible());
    QTest::qWait(200);  // a fixed wait: no Notify may come meanwhile
    EXPECT_TRUE(recorded(QStringLiteral("Notify")).isEmpty());
    // A server that comes later is used for the next message.
    control(QStringLiteral("ServeNotifications"), {true});
    receive("PCALICE", "ME", "1Shown now");
    EXPECT_EQ(waitForNotify(1)["body"].toString(), QStringLiteral("Shown now"));
}

class TrayBusTest : public DesktopBusTest {
protected:
    TrayBusTest() {
        frmPelimo::setTrayAvailability([] { return StatusNotifierItem::anyShown(); });
    }
};

TEST_F(TrayBusTest, TheItemCarriesTheTrayMenuAndRestoresTheWindow) {
    control(QStringLiteral("StartWatcher"));
    frmPelimo& window = start();
    ASSERT_NE(window.statusItem(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.statusItem()->isShown(); }, kWaitMs));
    const QList<QJsonObject> registered = recorded(QStringLiteral("RegisterStatusNotifierItem"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered[0]["service"].toString(), window.statusItem()->serviceName());
    EXPECT_FALSE(part<QSystemTrayIcon>(window, "trayIcon")->isVisible())
        << "one icon: the item, not Qt's as well";

    const QJsonObject properties = controlJson(QStringLiteral("ItemProperties")).object();
    EXPECT_EQ(properties["Title"].toString(), QStringLiteral("Pelimo"));
    EXPECT_EQ(element(properties["ToolTip"].toArray(), 2).toString(),
              QStringLiteral("Pelimo by Trelvix"));
    EXPECT_FALSE(properties["ItemIsMenu"].toBool());
    EXPECT_EQ(properties["Menu"].toString(), QStringLiteral("/MenuBar"));
    EXPECT_FALSE(properties["IconPixmap"].toArray().isEmpty());
    // The menu is the tray menu, in the language file's words: About, Open, Quit.
    QStringList labels;
    const QJsonArray root = controlJson(QStringLiteral("MenuLayout")).array();
    for (const QJsonValue child : element(root, 2).toArray())
        labels.append(element(child.toArray(), 1).toObject()["label"].toString());
    EXPECT_EQ(labels, (QStringList{"T50", "T99", "T13"}));

    // Minimised into the tray; a click on the icon brings the window back.
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, kWaitMs));
    control(QStringLiteral("ActivateItem"), {QStringLiteral("Activate")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kWaitMs));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    // So does the menu's Open entry.
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, kWaitMs));
    control(QStringLiteral("ClickMenuEntry"), {2});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kWaitMs));
    // A host without a menu of its own asks for ours.
    control(QStringLiteral("ActivateItem"), {QStringLiteral("ContextMenu")});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return part<QMenu>(window, "MHide")->isVisible(); }, kWaitMs));
    part<QMenu>(window, "MHide")->hide();

    // The panel goes while the window is in the tray: the window comes back.
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, kWaitMs));
    control(QStringLiteral("StopWatcher"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kWaitMs));
    EXPECT_FALSE(window.statusItem()->isShown());
}

TEST_F(TrayBusTest, AWatcherThatAppearsAfterStartUpTakesTheItem) {
    frmPelimo& window = start();
    QTest::qWait(100);  // a fixed wait: without a watcher the item must not show meanwhile
    EXPECT_FALSE(window.statusItem()->isShown());
    // Without a tray, minimising keeps the window where it can be found.
    window.setWindowState(Qt::WindowMinimized);
    QTest::qWait(50);  // a fixed wait: the window must not go meanwhile
    EXPECT_TRUE(window.isVisible());

    control(QStringLiteral("StartWatcher"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.statusItem()->isShown(); }, kWaitMs));
    EXPECT_EQ(recorded(QStringLiteral("RegisterStatusNotifierItem")).value(0)["service"].toString(),
              window.statusItem()->serviceName());
    window.showNormal();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, kWaitMs));
    control(QStringLiteral("ActivateItem"), {QStringLiteral("Activate")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kWaitMs));
}

}  // namespace
