"""The command line and the session bus: one running timer takes every command,
and without the bus's name, over the timer's socket.

Runs the staged program on Qt's offscreen platform, on a session bus of its own.
Usage: dbus-run-session -- commands.py PROGRAM_FOLDER
"""

import contextlib
import json
import os
import re
import signal
import socket
import subprocess
import sys
import time

import harness

folder = harness.ProgramFolder(sys.argv[1])
program = os.path.join(folder.path, "zorvu-timer")
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=folder.tmp)
timers = []  # the programs that stay and serve


def run(*args):
    done = subprocess.run([program, *args], env=env, capture_output=True, text=True, timeout=30)
    return done.returncode, done.stdout.strip(), done.stderr.strip()


def status():
    code, out, _ = run("--status")
    return json.loads(out) if code == 0 else out


def start(*args):
    timers.append(subprocess.Popen([program, *args], env=env, stderr=subprocess.DEVNULL))


try:
    # Qt's own options pass to Qt, here before any timer runs.
    assert run("--platform", "offscreen", "-reverse", "--status") == (3, "not running", "")
    code, out, _ = run("--version")
    assert code == 0 and re.fullmatch(r"zorvu-timer \(Zorvu Timer\) \d+\.\d+\.\d+", out), out

    # No timer runs: the command starts one, which then applies it.
    start("--map=bLOOD gULCH")
    harness.wait_for(lambda: isinstance(status(), dict))
    assert status()["map"] == "Blood Gulch"
    assert run() == (0, "", "")  # a second start hands over and ends
    assert timers[0].poll() is None

    # A refused line is not handed over. The parser's own faults are its test's.
    before = status()
    for args in [["--bogus"], ["--nudge=2"], ["--start", "--stop"]]:
        code, out, err = run(*args)
        assert code == 2 and out == "" and len(err.splitlines()) == 1, (args, code, err)
        assert args[-1].split("=")[-1] in err, (args, err)
    assert status() == before

    # Each kind of value handed over: words here, a number and none below. What each
    # method does with it is the bus interface's test, but for none, which the window
    # does not send through the table of commands.
    for word in ["oddball", "none"]:
        assert run("--special=" + word)[0] == 0 and status()["special"] == word, word
    assert run("--delayed-start=1")[0] == 0
    harness.wait_for(lambda: status()["running"], 5)
    # A running clock: +1 is a tick at once, -1 holds the next one back a second.
    count = lambda: sum(int(n) * f for n, f in zip(status()["clock"].split(":"), (3600, 60, 1)))
    before = count()
    assert run("--nudge=+1")[0] == 0 and count() - before in (1, 2)
    assert run("--nudge=-1")[0] == 0
    held = count()
    time.sleep(0.5)
    assert count() == held and run("--sync") == (0, "", "")

    # Two shortcut presses at once with no timer running: one timer, toggled twice.
    timers.pop().terminate()
    harness.wait_for(lambda: status() == "not running")
    start("--toggle"), start("--toggle")
    harness.wait_for(lambda: timers[0].poll() == 0 or timers[1].poll() == 0)
    harness.wait_for(lambda: isinstance(status(), dict) and not status()["running"])

    # No session bus: the same, over the socket, with one timer for two starts at once.
    # The timers' bus points nowhere, the commands' is unset. The timer on the bus
    # above is in another session.
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(folder.tmp, "nowhere")
    start("--toggle"), start("--toggle")
    del env["DBUS_SESSION_BUS_ADDRESS"]
    harness.wait_for(lambda: timers[-1].poll() == 0 or timers[-2].poll() == 0)
    harness.wait_for(lambda: isinstance(status(), dict) and not status()["running"])
    assert run() == (0, "", "") and [t.poll() for t in timers[-2:]].count(None) == 1
    # A call that never ends is cut off.
    with socket.socket(socket.AF_UNIX) as client, contextlib.suppress(ConnectionResetError):
        client.settimeout(5)
        client.connect(os.path.join(folder.tmp, "org.zorvu.Timer"))
        client.sendall(b"{" * 65536)
        assert client.recv(1) == b""

    # A bus that refuses the name: a timer starts all the same, says so, and takes
    # the commands over the socket that a killed timer left.
    while timers:
        harness.end(timers.pop(), signal.SIGKILL)
    conf = os.path.join(os.path.dirname(__file__), "refusing-bus.conf")
    timers.append(subprocess.Popen(["dbus-daemon", "--nofork", "--print-address", "--config-file",
                                    conf], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
    env["DBUS_SESSION_BUS_ADDRESS"] = timers[0].stdout.readline().decode().strip()
    timers.append(subprocess.Popen([program], env=env, stderr=subprocess.PIPE, text=True))
    harness.wait_for(lambda: isinstance(status(), dict))
    assert run("--map=blood gulch") == (0, "", "") and status()["map"] == "Blood Gulch"
    harness.end(timers[1])
    said = [s for s in timers[1].communicate()[1].splitlines() if s.startswith("zorvu-timer:")]
    assert len(said) == 1 and "refused the name org.zorvu.Timer" in said[0], said
finally:
    for timer in timers:
        timer.kill()
    folder.remove()
