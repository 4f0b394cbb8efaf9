#!/usr/bin/python3
"""A desktop notification service for tests, on the session bus the
environment names: it records every Notify call as one JSON line in the file
given as the first argument, and emits ActionInvoked when a test calls
org.vantrel.TestNotifications.Invoke(id, action)."""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus, log_path):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log_path = log_path
        self.last_id = 0

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        image = hints.get("image-data")
        record = {
            "id": self.last_id,
            "app_name": str(app_name),
            "app_icon": str(app_icon),
            "summary": str(summary),
            "body": str(body),
            "actions": [str(a) for a in actions],
            "hints": sorted(str(k) for k in hints.keys()),
            "desktop_entry": str(hints.get("desktop-entry", "")),
            # width, height, row stride, alpha, bits per sample, channels, bytes
            "image": [int(image[0]), int(image[1]), int(image[2]), bool(image[3]),
                      int(image[4]), int(image[5]), len(image[6])] if image else None,
        }
        with open(self.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(record, ensure_ascii=False) + "\n")
        return dbus.UInt32(self.last_id)

    @dbus.service.method(NOTIFICATIONS, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NOTIFICATIONS, out_signature="ssss")
    def GetServerInformation(self):
        return ("vantrel-test", "vantrel", "1", "1.2")

    @dbus.service.method(NOTIFICATIONS, in_signature="u")
    def CloseNotification(self, notification_id):
        self.NotificationClosed(notification_id, 3)

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActionInvoked(self, notification_id, action):
        pass

    @dbus.service.signal(NOTIFICATIONS, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass

    @dbus.service.method("org.vantrel.TestNotifications", in_signature="us")
    def Invoke(self, notification_id, action):
        self.ActionInvoked(notification_id, action)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    server = Server(bus, sys.argv[1])
    name = dbus.service.BusName(NOTIFICATIONS, bus)
    # The name is ours: tests may call now.
    with open(sys.argv[1] + ".ready", "w", encoding="utf-8"):
        pass
    GLib.MainLoop().run()
    del server, name


if __name__ == "__main__":
    main()
