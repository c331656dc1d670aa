#!/usr/bin/env python3
"""A desktop portal that only holds inhibits: takes org.freedesktop.portal.Desktop
on the session bus and prints "inhibit FLAGS" and "close" as it is asked."""

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Request")
    def Close(self):
        print("close", flush=True)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    requests = 0

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}",
                         out_signature="o")
    def Inhibit(self, window, flags, options):
        Portal.requests += 1
        path = "%s/request/zorvu/%d" % (PATH, Portal.requests)
        Request(self.connection, path)
        print("inhibit", flags, flush=True)
        return path


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
Portal(bus, PATH)
name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
print("ready", flush=True)
GLib.MainLoop().run()
