"""Team mode between two running timers, each with a session bus of its own, over loopback.

Usage: team.py PROGRAM_FOLDER
"""

import json
import random
import os
import signal
import socket
import subprocess
import sys
import time

import harness


class Timer:
    """The program in a folder of its own, on a session bus of its own."""

    def __init__(self, staged):
        self.folder = harness.ProgramFolder(staged)
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.folder.tmp,
                        DBUS_SESSION_BUS_ADDRESS=self.bus.stdout.readline().strip())
        self.program = os.path.join(self.folder.path, "zorvu-timer")
        self.proc = None

    def start(self, *args):
        self.proc = subprocess.Popen([self.program, *args], env=self.env, stderr=subprocess.DEVNULL)

    def run(self, *args):
        done = subprocess.run([self.program, *args], env=self.env, capture_output=True, text=True,
                              timeout=30)
        return done.returncode, done.stdout.strip()

    def status(self):
        code, out = self.run("--status")
        return json.loads(out) if code == 0 else {}

    def end(self):
        for proc in (self.proc, self.bus):
            if proc:
                harness.end(proc, signal.SIGKILL)
        self.folder.remove()


def free_port():
    """A free port where the program takes one: below the range of outgoing ones."""
    while True:
        with socket.socket() as s:
            try:
                s.bind(("127.0.0.1", random.randint(20000, 32767)))
                return s.getsockname()[1]
            except OSError:
                pass


def clock(status):
    return sum(int(n) * f for n, f in zip(status["clock"].split(":"), (3600, 60, 1)))


leader, follower = Timer(sys.argv[1]), Timer(sys.argv[1])
try:
    port = free_port()
    leader.start("--lead", "--port=%d" % port)
    team = harness.wait_for(lambda: leader.status().get("team"))
    assert team["role"] == "leader" and team["port"] == port and team["followers"] == 0, team
    follower.start()
    harness.wait_for(lambda: follower.status())

    # A wrong code is refused: the follower stops trying, the leader has no follower.
    wrong = "0" * 8 if team["code"] != "0" * 8 else "1" * 8
    assert follower.run("--follow=127.0.0.1:%d" % port, "--code=" + wrong)[0] == 0
    harness.wait_for(lambda: follower.status()["team"] == {"role": "none"})
    assert leader.status()["team"]["followers"] == 0

    # Joined: S on the follower starts both, on one clock.
    assert follower.run("--follow=127.0.0.1:%d" % port, "--code=" + team["code"])[0] == 0
    joined = harness.wait_for(lambda: follower.status()["team"].get("connected") and
                              follower.status()["team"])
    assert joined["leader"] == "127.0.0.1:%d" % port and joined["rtt_ms"] < 100, joined
    assert leader.status()["team"]["followers"] == 1
    assert follower.run("--toggle")[0] == 0
    harness.wait_for(lambda: leader.status()["running"] and follower.status()["running"])
    harness.wait_for(lambda: clock(leader.status()) >= 2)
    assert abs(clock(leader.status()) - clock(follower.status())) <= 1

    # The leader killed: the follower counts on, and tries again.
    harness.end(leader.proc, signal.SIGKILL)
    harness.wait_for(lambda: not follower.status()["team"]["connected"])
    before = clock(follower.status())
    time.sleep(2.2)
    after = follower.status()
    assert after["running"] and clock(after) - before >= 2, after
    assert after["team"]["role"] == "follower"
finally:
    leader.end()
    follower.end()
