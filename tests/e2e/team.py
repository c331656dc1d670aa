"""Team mode between two running timers, each with a session bus of its own, over loopback;
and what the leader does with strangers' connections.

Usage: team.py PROGRAM_FOLDER
"""

import random
import signal
import socket
import struct
import sys
import time

import harness


def free_port():
    """A free port where the program takes one: below the range of outgoing ones."""
    while True:
        with socket.socket() as s:
            try:
                s.bind(("127.0.0.1", random.randint(20000, 32767)))
                return s.getsockname()[1]
            except OSError:
                pass


def handshake(port, source="127.0.0.1"):
    """A WebSocket to the leader, opened by hand; its answer's first bytes are read later."""
    s = socket.create_connection(("127.0.0.1", port), timeout=5, source_address=(source, 0))
    s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              b"Sec-WebSocket-Key: AAAAAAAAAAAAAAAAAAAAAA==\r\nSec-WebSocket-Version: 13\r\n\r\n")
    return s


def answered(s):
    try:
        return s.recv(12, socket.MSG_WAITALL) == b"HTTP/1.1 101"
    except OSError:
        return False


def close_code(port, opcode, payload):
    """The code the leader closes with after one frame of ours."""
    f = handshake(port).makefile("rwb")
    while f.readline() != b"\r\n":
        pass
    n = len(payload)
    f.write(bytes([0x80 | opcode]) + (bytes([0x80 | n]) if n < 126 else struct.pack(">BH", 0xFE, n))
            + b"\0\0\0\0" + payload)  # masked with a key of zeros
    f.flush()
    while True:
        head = f.read(2)
        n = head[1] if head[1] < 126 else struct.unpack(">H", f.read(2))[0]
        if head[0] & 0x0F == 8:
            return struct.unpack(">H", f.read(n)[:2])[0]
        f.read(n)


def clock(status):
    return sum(int(n) * f for n, f in zip(status["clock"].split(":"), (3600, 60, 1)))


leader, follower = harness.Timer(sys.argv[1]), harness.Timer(sys.argv[1])
try:
    port = free_port()
    leader.start("--lead", "--port=%d" % port)
    team = harness.wait_for(lambda: leader.status().get("team"))
    assert team["role"] == "leader" and team["port"] == port and team["followers"] == 0, team
    # A leader does not follow itself.
    assert leader.run("--follow=127.0.0.1:%d" % port, "--code=" + team["code"])[0] != 0
    assert leader.status()["team"]["role"] == "leader"
    follower.start()
    harness.wait_for(lambda: follower.status())

    # A wrong code is refused: the follower stops trying, nothing changes on the leader.
    wrong = "0" * 8 if team["code"] != "0" * 8 else "1" * 8
    assert follower.run("--follow=127.0.0.1:%d" % port, "--code=" + wrong)[0] == 0
    harness.wait_for(lambda: follower.status()["team"] == {"role": "none"})
    assert leader.status()["team"] == team

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

    # The follower killed mid-match and started again: it lands on the leader's clock.
    harness.end(follower.proc, signal.SIGKILL)
    harness.wait_for(lambda: leader.status()["team"]["followers"] == 0)
    follower.start("--follow=127.0.0.1:%d" % port, "--code=" + team["code"])
    harness.wait_for(lambda: follower.status().get("running") and
                     abs(clock(leader.status()) - clock(follower.status())) <= 1, 10,
                     "the follower started again is not on the leader's clock")

    # A message too large, binary, or not ours: closed, each with its code, and logged.
    assert [close_code(port, 1, b"x" * 5000), close_code(port, 2, b"x"),
            close_code(port, 1, b"{")] == [1009, 1003, 1008]
    # 200 connections at once from another address: ten tries, the rest turned away at once.
    burst = [handshake(port, "127.0.0.2") for _ in range(200)]
    assert sum(map(answered, burst)) == 10
    # Those let in hold their places only a while without a join.
    harness.wait_for(lambda: len(leader.warnings("team: a follower's")) == 14, 10)
    for s in burst:
        s.close()
    assert [line.split(": ", 2)[2] for line in leader.warnings("team: a follower's")] == [
        "Wrong join code.", "a message too large", "a binary message", "not a join"] + [
        "no join in time"] * 10
    # The follower goes on with its leader.
    status = follower.status()
    assert status["team"]["connected"] and leader.status()["team"]["followers"] == 1, status

    # The leader killed: the follower counts on, and tries again.
    harness.end(leader.proc, signal.SIGKILL)
    harness.wait_for(lambda: not follower.status()["team"]["connected"])
    before = clock(follower.status())
    time.sleep(2.2)
    after = follower.status()
    assert after["running"] and clock(after) - before >= 2, after
    assert after["team"]["role"] == "follower"

    # The leader started again, with the code it kept: it takes the follower's running match.
    leader.start("--lead", "--port=%d" % port)
    harness.wait_for(lambda: leader.status().get("team", {}).get("followers") == 1)
    back = harness.wait_for(lambda: leader.status()["running"] and leader.status())
    # Its own clock would stand at 0: it runs on from the follower's, which may not
    # have turned a second since `after` was read.
    assert clock(back) >= clock(after) > 0, (back, after)
    # Each status is a program started under load: the two are read a moment apart.
    harness.wait_for(lambda: abs(clock(leader.status()) - clock(follower.status())) <= 1, 10,
                     "the leader and the follower show different clocks")
finally:
    leader.end()
    follower.end()
