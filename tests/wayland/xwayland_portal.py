#!/usr/bin/env python3
"""Under a Wayland desktop with XWayland, the program chooses X11 by itself (its
window is an X11 client of XWayland), and with no ScreenSaver service on the
session bus holds the idle blanking off through the desktop portal: an inhibit on
load, closed when the setting is turned off (and Reset reloads the settings).

usage: dbus-run-session -- xwayland_portal.py SESSION_POINTER STAGED_PROGRAM_FOLDER"""

import os
import select
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import harness  # noqa: E402


def next_line(proc, timeout=10):
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    return proc.stdout.readline().strip() if ready else "(nothing in %d s)" % timeout


env = dict(os.environ, **harness.load_session(sys.argv[1]))
env.pop("QT_QPA_PLATFORM", None)
folder = harness.ProgramFolder(sys.argv[2])
ini = harness.times_ini([999] * 4)
folder.write_ini(ini.replace("disablescreensaver=0", "disablescreensaver=1"))
portal = subprocess.Popen([sys.executable, os.path.join(HERE, "fake_portal.py")],
                          stdout=subprocess.PIPE, text=True)
program = None
try:
    assert next_line(portal) == "ready"
    program = subprocess.Popen([os.path.join(folder.path, "zorvu-timer")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = subprocess.run(["xdotool", "search", "--sync", "--name", harness.WINDOW_TITLE],
                            env=env, timeout=30, check=True, stdout=subprocess.PIPE, text=True)
    print("X11 window", window.stdout.split())
    assert next_line(portal) == "inhibit 8"
    folder.write_ini(ini)
    # Headless Weston has no keyboard: the key is sent to the window itself.
    subprocess.run(["xdotool", "key", "--window", window.stdout.split()[0], "r"],
                   env=env, timeout=10, check=True)
    assert next_line(portal) == "close"
finally:
    if program:
        program.terminate()
        program.wait(5)
    portal.terminate()
    folder.remove()
