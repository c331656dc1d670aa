"""Discovery: a leader and a follower, each in network, mount and host-name
namespaces of its own with its own system bus and avahi-daemon, joined by a
virtual Ethernet pair, find each other.

Usage (as root): team_discovery.py PROGRAM_FOLDER
Exits 77 (skipped) where namespaces cannot be made.
"""

import os
import shutil
import subprocess
import sys
import tempfile

import harness

BUS = """<busconfig><type>system</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>"""
AVAHI = """[server]\nuse-ipv4=yes\nuse-ipv6=yes\n[wide-area]\nenable-wide-area=no
[publish]\npublish-hinfo=no\npublish-workstation=no\n"""


class Side:
    """A PC of its own: namespaces held by a sleeping process, entered with nsenter."""

    def __init__(self, name, address, link):
        self.holder = subprocess.Popen(["unshare", "--net", "--mount", "--uts", "sleep", "300"])
        harness.wait_for(lambda: os.readlink("/proc/%d/ns/net" % self.holder.pid) !=
                         os.readlink("/proc/self/ns/net"))
        self.enter = ["nsenter", "-t", str(self.holder.pid), "-n", "-m", "-u"]
        self.address, self.link, self.procs = address, link, [self.holder]
        # A /run of its own, for Avahi's pid file and socket.
        self.sh("ip link set lo up && hostname %s && mount -t tmpfs tmpfs /run" % name)

    def sh(self, script):
        subprocess.run(self.enter + ["sh", "-c", script], check=True)

    def up(self):
        self.sh("ip addr add %s/24 dev %s && ip link set %s up" % (self.address, self.link,
                                                                  self.link))
        bus = self.spawn("dbus-daemon", "--config-file=" + conf("bus.conf", BUS), "--nofork",
                         "--print-address=1", stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         text=True)
        self.bus = bus.stdout.readline().strip()

    def avahi(self):
        self.spawn("avahi-daemon", "--no-drop-root", "--no-chroot", "--no-rlimits",
                   "-f", conf("avahi.conf", AVAHI), stderr=subprocess.DEVNULL,
                   env=dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.bus))

    def spawn(self, *cmd, **how):
        self.procs.append(subprocess.Popen(self.enter + list(cmd), **how))
        return self.procs[-1]

    def timer(self, staged):
        return harness.Timer(staged, self.enter, DBUS_SYSTEM_BUS_ADDRESS=self.bus)

    def end(self):
        for proc in reversed(self.procs):
            harness.end(proc)


def conf(name, text):
    path = os.path.join(tmp, name)
    with open(path, "w") as f:
        f.write(text)
    return path


if os.geteuid() != 0 or subprocess.run(["unshare", "--net", "true"]).returncode != 0:
    print("skipped: network namespaces need root")
    sys.exit(77)
tmp = tempfile.mkdtemp(prefix="zorvu-e2e-discovery.")
sides, timers = [], []
try:
    sides = [Side("leader-pc", "10.77.0.1", "zl"), Side("follower-pc", "10.77.0.2", "zf")]
    sides[0].sh("ip link add zl type veth peer name zf netns %d" % sides[1].holder.pid)
    for side in sides:
        side.up()
    leader, follower = timers = [side.timer(sys.argv[1]) for side in sides]
    sides[0].avahi()
    leader.start("--lead")
    team = harness.wait_for(lambda: leader.status().get("team"))
    # The follower's Avahi comes after it: it is taken up when it comes.
    follower.start()
    harness.wait_for(lambda: follower.status())
    sides[1].avahi()
    found = [{"name": "leader-pc", "host": "10.77.0.1", "port": 8422}]
    harness.wait_for(lambda: follower.status()["leaders"] == found, 20, "leader not found")
    # A leader does not list itself; the address found reaches it.
    assert leader.status()["leaders"] == [], leader.status()
    assert follower.run("--follow=10.77.0.1", "--code=" + team["code"])[0] == 0
    harness.wait_for(lambda: follower.status()["team"].get("connected"), 20, "not joined")
finally:
    for t in timers:
        t.end()
    for side in sides:
        side.end()
    shutil.rmtree(tmp, ignore_errors=True)
