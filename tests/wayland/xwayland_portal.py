#!/usr/bin/env python3
"""Under a headless Wayland desktop with XWayland (Weston), as KDE's and GNOME's
Wayland sessions run X11 programs, the program chooses X11 by itself (its window
is an X11 client of XWayland), and with no ScreenSaver service on the session bus
holds the idle blanking off through the desktop portal: an inhibit on load, closed
when the setting is turned off (and Reset reloads the settings).

usage: dbus-run-session -- xwayland_portal.py STAGED_PROGRAM_FOLDER"""

import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile

import harness  # from tests/e2e, on the PYTHONPATH that CTest sets


def next_line(proc, timeout=10):
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    return proc.stdout.readline().strip() if ready else "(nothing in %d s)" % timeout


runtime = tempfile.mkdtemp(prefix="zorvu-weston.")
os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)  # where XWayland's socket goes
log = os.path.join(runtime, "weston.log")
weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--xwayland", "--no-config",
                           "--idle-time=0", "--socket=wayland-zorvu", "--log=" + log],
                          env=dict(os.environ, XDG_RUNTIME_DIR=runtime), start_new_session=True,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
folder = harness.ProgramFolder(sys.argv[1])
ini = harness.times_ini([999] * 4)
folder.write_ini(ini.replace("disablescreensaver=0", "disablescreensaver=1"))
# sys.path[0]: this script's folder
portal = subprocess.Popen([sys.executable, os.path.join(sys.path[0], "fake_portal.py")],
                          stdout=subprocess.PIPE, text=True)
program = None
try:
    # Weston picks a free X display and says which.
    found = harness.wait_for(lambda: os.path.exists(log) and re.search(
        r"listening on display (:\d+)", open(log).read()), 30, "no XWayland display")
    env = dict(os.environ, XDG_SESSION_TYPE="wayland", WAYLAND_DISPLAY="wayland-zorvu",
               DISPLAY=found.group(1), XDG_RUNTIME_DIR=runtime)
    env.pop("QT_QPA_PLATFORM", None)
    assert next_line(portal) == "ready"
    program = subprocess.Popen([os.path.join(folder.path, "zorvu-timer")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert next_line(portal, 30) == "inhibit 8"
    folder.write_ini(ini)
    # Headless Weston has no keyboard: the key is sent to the window itself.
    subprocess.run(["xdotool", "search", "--sync", "--name", harness.WINDOW_TITLE, "key", "--window",
                    "%1", "r"], env=env, timeout=30, check=True)
    assert next_line(portal) == "close"
finally:
    program and harness.end(program)
    portal.terminate()
    folder.remove()
    os.killpg(weston.pid, signal.SIGTERM)  # Weston's group holds XWayland and its helpers
    weston.wait(5)
    shutil.rmtree(runtime, ignore_errors=True)
