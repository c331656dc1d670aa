#!/usr/bin/env python3
"""Under a headless Wayland desktop with XWayland (Weston), as KDE's and GNOME's
Wayland sessions run X11 programs, the program chooses X11 by itself (its window
is an X11 client of XWayland), and with no ScreenSaver service on the session bus
holds the idle blanking off through the desktop portal: an inhibit on load, closed
when the setting is turned off (and Reset reloads the settings).

The portal is a fake one in this process that only holds inhibits and notes what
it is asked.

usage: dbus-run-session -- xwayland_portal.py STAGED_PROGRAM_FOLDER"""

import os
import queue
import re
import signal
import subprocess
import sys
import threading

import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

import harness  # from tests/e2e, on the PYTHONPATH that CTest sets

PORTAL = "/org/freedesktop/portal/desktop"
REQUEST = PORTAL + "/request/zorvu/1"  # the handle it gives every inhibit
asked = queue.Queue()  # "inhibit FLAGS" and "close PATH", as the program asks them


class Portal(dbus.service.FallbackObject):
    """The portal's object, and below it the inhibits' requests."""

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}",
                         out_signature="o")
    def Inhibit(self, window, flags, options):
        asked.put("inhibit %d" % flags)
        return REQUEST

    @dbus.service.method("org.freedesktop.portal.Request", path_keyword="path")
    def Close(self, path):
        asked.put("close " + path)


bus = dbus.SessionBus(mainloop=dbus.mainloop.glib.DBusGMainLoop())
Portal(bus, PORTAL)
name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
threading.Thread(target=GLib.MainLoop().run, daemon=True).start()

folder = harness.ProgramFolder(sys.argv[1])
runtime = os.path.join(folder.tmp, "runtime")  # Weston's
os.mkdir(runtime, 0o700)
os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)  # where XWayland's socket goes
log = os.path.join(runtime, "weston.log")
weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--xwayland", "--no-config",
                           "--idle-time=0", "--socket=wayland-zorvu", "--log=" + log],
                          env=dict(os.environ, XDG_RUNTIME_DIR=runtime), start_new_session=True,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.STDOUT)
ini = harness.times_ini([999] * 4)
folder.write_ini(ini.replace("disablescreensaver=0", "disablescreensaver=1"))
program = None
try:
    # Weston picks a free X display and says which.
    found = harness.wait_for(lambda: os.path.exists(log) and re.search(
        r"listening on display (:\d+)", open(log).read()), 30, "no XWayland display")
    env = dict(os.environ, XDG_SESSION_TYPE="wayland", WAYLAND_DISPLAY="wayland-zorvu",
               DISPLAY=found.group(1), XDG_RUNTIME_DIR=runtime)
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([os.path.join(folder.path, "zorvu-timer")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert asked.get(timeout=30) == "inhibit 8"
    folder.write_ini(ini)
    # Headless Weston has no keyboard: the key is sent to the window itself.
    subprocess.run(["xdotool", "search", "--sync", "--name", harness.WINDOW_TITLE,
                    "key", "--window", "%1", "r"], env=env, timeout=30, check=True)
    assert asked.get(timeout=10) == "close " + REQUEST
finally:
    program and harness.end(program)
    os.killpg(weston.pid, signal.SIGTERM)  # Weston's group holds XWayland and its helpers
    weston.wait(5)
    folder.remove()
