"""A stand-in desktop on a private session bus, for the desktop integration tests.

It is a notification server (org.freedesktop.Notifications) that records every call, and on
request a StatusNotifierWatcher with a host (org.kde.StatusNotifierWatcher) that records the items
registered with it. A control object (org.pelimo.TestDesktop, /Control) lets a test read what was
recorded and act as the user would: click a notification's action, close it, start the watcher
late, activate the tray item or click an entry of its menu. Calls back into the program are made
asynchronously, so a test that waits on the control object never deadlocks.

Usage: desktop_bus_stub.py READY-FILE [--caps CAP,CAP...] [--no-notifications] [--watcher]
"""
import argparse
import json

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFY_IFACE = "org.freedesktop.Notifications"
WATCHER_IFACE = "org.kde.StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"
PROPS_IFACE = "org.freedesktop.DBus.Properties"
CONTROL_IFACE = "org.pelimo.TestDesktop"
MAX_RECORDS = 1000


def plain(value):
    """D-Bus values as JSON-friendly Python values."""
    if isinstance(value, (dbus.Array, list)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Struct, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.ByteArray):
        return len(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath, str)):
        return str(value)
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (int, float)):
        return value
    return str(value)


class Notifications(dbus.service.Object):
    def __init__(self, bus, caps, records):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.caps = caps
        self.records = records
        self.next_id = 1

    @dbus.service.method(NOTIFY_IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        nid = int(replaces) if replaces else self.next_id
        if not replaces:
            self.next_id += 1
        hint_summary = {}
        for key, value in hints.items():
            if key == "image-data":
                width, height = int(value[0]), int(value[1])
                hint_summary[str(key)] = [width, height, int(value[5]), len(value[6])]
            else:
                hint_summary[str(key)] = plain(value)
        self.records.append({"call": "Notify", "app": str(app), "replaces": int(replaces),
                             "icon": str(icon), "summary": str(summary), "body": str(body),
                             "actions": [str(a) for a in actions], "hints": hint_summary,
                             "timeout": int(timeout), "id": nid})
        del self.records[:-MAX_RECORDS]
        return dbus.UInt32(nid)

    @dbus.service.method(NOTIFY_IFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        self.records.append({"call": "GetCapabilities"})
        return dbus.Array(self.caps, signature="s")

    @dbus.service.method(NOTIFY_IFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("test-desktop", "pelimo-tests", "1", "1.2")

    @dbus.service.method(NOTIFY_IFACE, in_signature="u", out_signature="")
    def CloseNotification(self, nid):
        self.records.append({"call": "CloseNotification", "id": int(nid)})
        self.NotificationClosed(nid, 3)

    @dbus.service.signal(NOTIFY_IFACE, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.signal(NOTIFY_IFACE, signature="us")
    def ActionInvoked(self, nid, key):
        pass


class Watcher(dbus.service.Object):
    def __init__(self, bus, records):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.records = records

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="",
                         sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # A service name, or an object path on the caller's connection.
        item = (str(sender), str(service)) if service.startswith("/") else \
            (str(service), "/StatusNotifierItem")
        self.items.append(item)
        self.records.append({"call": "RegisterStatusNotifierItem", "service": str(service),
                             "sender": str(sender)})
        self.StatusNotifierItemRegistered(f"{item[0]}{item[1]}")

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER_IFACE, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER_IFACE, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def properties(self):
        return {"IsStatusNotifierHostRegistered": dbus.Boolean(True),
                "RegisteredStatusNotifierItems":
                    dbus.Array([f"{s}{p}" for s, p in self.items], signature="s"),
                "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(PROPS_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[str(name)]

    @dbus.service.method(PROPS_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()


class Control(dbus.service.Object):
    def __init__(self, bus, notifications, records, start_watcher):
        super().__init__(bus, "/Control")
        self.bus = bus
        self.notifications = notifications
        self.records = records
        self.start_watcher = start_watcher
        self.watcher = None

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="s")
    def Records(self):
        return json.dumps(self.records)

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="")
    def Forget(self):
        del self.records[:]

    @dbus.service.method(CONTROL_IFACE, in_signature="us", out_signature="")
    def InvokeAction(self, nid, key):
        self.notifications.ActionInvoked(nid, key)
        self.notifications.NotificationClosed(nid, 2)

    @dbus.service.method(CONTROL_IFACE, in_signature="uu", out_signature="")
    def CloseByUser(self, nid, reason):
        self.notifications.NotificationClosed(nid, reason)

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="")
    def StartWatcher(self):
        if self.watcher is None:
            self.watcher = self.start_watcher()

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="")
    def StopWatcher(self):
        """The panel goes away: the watcher's name is released and its items forgotten."""
        if self.watcher is not None:
            self.watcher.remove_from_connection()
            self.bus.release_name("org.kde.StatusNotifierWatcher")
            self.watcher = None

    @dbus.service.method(CONTROL_IFACE, in_signature="b", out_signature="")
    def ServeNotifications(self, serve):
        """Claims or releases org.freedesktop.Notifications."""
        if serve:
            self.bus.request_name("org.freedesktop.Notifications")
        else:
            self.bus.release_name("org.freedesktop.Notifications")

    def item(self):
        service, path = self.watcher.items[-1]
        return self.bus.get_object(service, path, introspect=False)

    def call_later(self, method, *args):
        def run():
            method(*args, reply_handler=lambda *a: None,
                   error_handler=lambda e: self.records.append({"call": "error", "text": str(e)}))
            return False
        GLib.idle_add(run)

    @dbus.service.method(CONTROL_IFACE, in_signature="s", out_signature="")
    def ActivateItem(self, method):
        """Activate, SecondaryActivate or ContextMenu on the newest item, at (10, 20)."""
        item = self.item()
        self.call_later(item.get_dbus_method(str(method), ITEM_IFACE), dbus.Int32(10),
                        dbus.Int32(20))

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="s")
    def ItemProperties(self):
        item = self.item()
        props = item.GetAll(ITEM_IFACE, dbus_interface=PROPS_IFACE)
        return json.dumps(plain(props))

    @dbus.service.method(CONTROL_IFACE, in_signature="", out_signature="s")
    def MenuLayout(self):
        item = self.item()
        menu_path = item.Get(ITEM_IFACE, "Menu", dbus_interface=PROPS_IFACE)
        menu = self.bus.get_object(self.watcher.items[-1][0], menu_path, introspect=False)
        revision, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"),
                                          dbus_interface=MENU_IFACE)
        return json.dumps(plain(layout))

    @dbus.service.method(CONTROL_IFACE, in_signature="i", out_signature="")
    def ClickMenuEntry(self, entry):
        item = self.item()
        menu_path = item.Get(ITEM_IFACE, "Menu", dbus_interface=PROPS_IFACE)
        menu = self.bus.get_object(self.watcher.items[-1][0], menu_path, introspect=False)
        self.call_later(menu.get_dbus_method("Event", MENU_IFACE), dbus.Int32(entry), "clicked",
                        dbus.String("", variant_level=1), dbus.UInt32(0))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ready")
    parser.add_argument("--caps", default="body,actions")
    parser.add_argument("--no-notifications", action="store_true")
    parser.add_argument("--watcher", action="store_true")
    args = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    records = []
    notifications = Notifications(bus, [c for c in args.caps.split(",") if c], records)
    if not args.no_notifications:
        bus.request_name("org.freedesktop.Notifications")

    def start_watcher():
        watcher = Watcher(bus, records)
        bus.request_name("org.kde.StatusNotifierWatcher")
        watcher.StatusNotifierHostRegistered()
        return watcher

    control = Control(bus, notifications, records, start_watcher)
    if args.watcher:
        control.StartWatcher()
    bus.request_name("org.pelimo.TestDesktop")
    with open(args.ready, "w") as ready:
        ready.write("ready\n")
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
