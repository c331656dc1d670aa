#!/usr/bin/env python3
"""The .deb, unpacked and run in the e2e session with a home of its own: a first
start copies the shipped times.ini to ~/.config/zorvu-timer/, the sounds come from
share/zorvu-timer/sounds/, Options saves to the copy, and the menu entry's actions
drive the clock. Beside the program: a manual page, and a bus service that starts
the program (one that `cmake --install` laid out) with its window.

usage: installed.py SESSION_POINTER PACKAGE_FOLDER BUILD_FOLDER"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import types

import harness  # from tests/e2e, on the PYTHONPATH that CTest sets

root = tempfile.mkdtemp(prefix="zorvu-package.")
subprocess.run(["dpkg-deb", "-x", *glob.glob(os.path.join(sys.argv[2], "*.deb")), root], check=True)
share = os.path.join(root, "usr", "share", "zorvu-timer")
# Only the Sniper Rifle, every 3 s with a 1 s notice: heard at ticks 2 and 3.
shipped = harness.times_ini([3, 999, 999, 999], lead=1, notify=(1, 0, 0, 0))
open(os.path.join(share, "times.ini"), "w").write(shipped)
harness.write_tone(os.path.join(share, "sounds", "s.wav"), 1200)

# A home of its own, with the configuration folder where it is when nothing says otherwise.
session = dict(harness.load_session(sys.argv[1]), HOME=os.path.join(root, "home"))
for env in (session, os.environ):
    env.pop("XDG_CONFIG_HOME", None)
saved = os.path.join(root, "home", ".config", "zorvu-timer", "times.ini")
folder = types.SimpleNamespace(path=os.path.join(root, "usr", "bin"), tmp=root)
_, _, recorder = harness.run_clock(folder, session, 3, 1)
first = open(saved).read()
with harness.Program(folder, session) as program:
    # Options: a new lead time, then OK, six fields back from the time box.
    program.xdotool("key", "ctrl+o", "sleep", "1", "key", "ctrl+a", "7",
                    *["shift+Tab"] * 6, "space", "sleep", "1")
    desktop = open(os.path.join(root, "usr/share/applications/org.zorvu.Timer.desktop")).read()
    running = []  # after each action of the menu entry, in its order
    for option in re.findall(r"^Exec=zorvu-timer (.+)$", desktop, re.M):
        subprocess.run(["./zorvu-timer", option], cwd=folder.path, env=program.env, check=True)
        running.append(program.status(folder)["running"])
heard = [s["name"] for s in harness.sounds_heard(recorder.samples, {"s": 1200, "alert": 880})]
lead = [line for line in open(saved).read().splitlines() if line.startswith("time=")]
untouched = open(os.path.join(share, "times.ini")).read() == shipped
print("copied:", first == shipped, "heard:", heard, "saved:", lead, "shipped untouched:", untouched)
assert first == shipped and heard == ["s", "s"] and lead == ["time=7"] and untouched
assert running == [True, False], running

usage = subprocess.check_output([os.path.join(folder.path, "zorvu-timer"), "--help"], text=True)
manual = subprocess.run(["man", "--warnings", "-l", "usr/share/man/man1/zorvu-timer.1.gz"],
                        cwd=root, env=dict(os.environ, LC_ALL="C"), capture_output=True, text=True)
assert not manual.stderr and all(o in manual.stdout for o in re.findall("--[a-z-]+", usage))
service = open(os.path.join(root, "usr/share/dbus-1/services/org.zorvu.Timer.service")).read()
assert os.access(root + re.search("^Exec=(.+)$", service, re.M)[1], os.X_OK), service
subprocess.run(["cmake", "--install", sys.argv[3], "--prefix", os.path.join(root, "prefix")],
               check=True, stdout=subprocess.DEVNULL)
subprocess.run(["dbus-run-session", "--", "dbus-send", "--session", "--print-reply",
                "--dest=org.zorvu.Timer", "/org/zorvu/Timer", "org.zorvu.Timer.Toggle"],
               env=dict(session, XDG_DATA_DIRS=os.path.join(root, "prefix", "share")), check=True)
subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", harness.WINDOW_TITLE,
                "windowkill"], env=session, timeout=30, check=True)
shutil.rmtree(root)
