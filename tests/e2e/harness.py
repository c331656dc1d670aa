"""Runs the staged program in a private desktop session and hears what it plays.

The session (X server, window manager, sound server with a null sink) is started
by tests/e2e/session. Here: a copy of the program folder with its own times.ini
and sounds/, the program started in the session, a key pressed, the null sink's
monitor recorded, and the recording turned into a list of sounds heard.

Timing. Every moment is on one clock, CLOCK_MONOTONIC (time.monotonic()).
- The reference: the moment the X server had taken the key press. The press
  is sent through the XTest extension, and XSync returns once the server has
  handled it (xdotool would add its own start-up and a 12 ms wait). Tick n of a
  clock started by S is due n seconds after it.
- A sound's moment: when the null sink took its first loud sample from the
  stream. The recorder reads the sink's monitor in small pieces (parec asks for
  10 ms) and notes when each piece arrives. A piece cannot arrive before the
  sink has taken it, and the sink takes audio at most those 10 ms ahead of its
  clock and never takes it back (no rewinds), while a reader that was slow to
  run only makes a piece late. So "arrival - samples so far / rate" is smallest
  for the promptest piece, and that smallest value over a few thousand pieces
  is the moment of sample 0, read at most 10 ms early. A sound's moment is that
  plus its first loud sample's index / rate.
"""

import array
import ctypes
import json
import math
import operator
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import wave

RATE = 22050
FRAME = 220            # samples per analysis frame: 10 ms
SILENT_RMS = 0.01      # below this (of full scale) a frame is silence
ONSET_LEVEL = 0.05     # a sound starts at its first sample this loud
MERGE_GAP = 10         # frames of silence that still join two parts of one sound
PURE = 0.6             # share of a frame's energy that must be its tone

WINDOW_TITLE = "Zorvu Weapon/Powerup Respawn Timer"
ALERT_HZ = 880         # the program's built-in alert tone
KEYS = ["sniper", "rocket", "camo", "overshield"]  # the items of a map in times.ini

X11, XTST = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
# ctypes takes an int where nothing else is said: right for the key codes and flags,
# not for the display pointer (held as a c_void_p) or a keysym.
X11.XOpenDisplay.restype, X11.XStringToKeysym.restype = ctypes.c_void_p, ctypes.c_ulong
X11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
X11.XKeysymToKeycode.restype = ctypes.c_ubyte


def load_session(pointer):
    """The environment a client of the session needs, from session's env file."""
    with open(pointer) as p, open(os.path.join(p.read().strip(), "env")) as f:
        return dict(line.strip().partition("=")[::2] for line in f if "=" in line)


def client_env(session):
    return {**os.environ, **session, "QT_QPA_PLATFORM": "xcb"}


def wait_for(check, seconds=10, what="timed out"):
    """Polls check until it returns something true, and returns that; fails
    saying what after the seconds."""
    deadline = time.monotonic() + seconds
    while not (found := check()):
        assert time.monotonic() < deadline, what
        time.sleep(0.05)
    return found


def times_ini(periods, lead=15, notify=(1, 1, 1, 1), respawnsound=0, default_file="",
              volume=100, device=""):
    """times.ini: map 0's periods (in KEYS' order) as given, every other map's
    999 (never due), the notification settings and the sound output."""
    lines = ["[settings]", "time=%d" % lead] + ["notify%s=%d" % kn for kn in zip(KEYS, notify)]
    lines += ["respawnsound=%d" % respawnsound, "defaultsoundfilename=" + default_file,
              "boxtype=0", "alwaysontop=0", "disablescreensaver=0", "disablehotkeys=0",
              "outputdevice=" + device, "volume=%d" % volume, ""]
    for m, times in enumerate([periods] + [[999] * 4] * 12):
        lines += ["[%d]" % m] + ["%s=%d" % kt for kt in zip(KEYS, times)] + [""]
    return "\n".join(lines)


def write_tone(path, hz, seconds=0.3, silence=0.4, level=0.5):
    """A pure tone with soft 5 ms edges, then silence."""
    n, edge = int(seconds * RATE), int(0.005 * RATE)
    data = array.array("h", (int(level * 32767 * min(1.0, i / edge, (n - 1 - i) / edge)
                                 * math.sin(2 * math.pi * hz * i / RATE)) for i in range(n)))
    data.extend([0] * int(silence * RATE))
    with wave.open(path, "wb") as w:
        w.setparams((1, 2, RATE, 0, "NONE", None))
        w.writeframes(data.tobytes())


def end(proc, sig=signal.SIGTERM):
    """Ends a process that may still run: the signal, then a kill after 5 s."""
    proc.send_signal(sig)  # which skips a process known to have ended
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()
    return proc.wait()


class ProgramFolder:
    """A copy of the staged program folder in a temporary folder."""

    def __init__(self, staged):
        self.tmp = tempfile.mkdtemp(prefix="zorvu-e2e-program.")
        self.path = os.path.join(self.tmp, "zorvu-timer")
        # sounds/ stays, empty: each test writes the sounds it listens for.
        shutil.copytree(staged, self.path, ignore=shutil.ignore_patterns("*.wav"))

    def write_ini(self, text):
        with open(os.path.join(self.path, "times.ini"), "w", newline="\r\n") as f:
            f.write(text)

    def sound(self, name):
        return os.path.join(self.path, "sounds", name)

    def remove(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


class Timer:
    """The program in a folder of its own, on a session bus of its own."""

    def __init__(self, staged, wrap=(), **env):
        self.folder = ProgramFolder(staged)
        self.wrap = list(wrap)  # what each command runs in, such as nsenter
        self.bus = subprocess.Popen(self.wrap + ["dbus-daemon", "--session", "--nofork",
                                                 "--print-address=1"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.folder.tmp,
                        DBUS_SESSION_BUS_ADDRESS=self.bus.stdout.readline().strip(), **env)
        self.program = self.wrap + [os.path.join(self.folder.path, "zorvu-timer")]
        self.log = os.path.join(self.folder.tmp, "log")
        self.proc = None

    def start(self, *args):
        with open(self.log, "a") as log:
            self.proc = subprocess.Popen(self.program + list(args), env=self.env, stderr=log)

    def warnings(self, start):
        """The lines it has logged that start so."""
        with open(self.log) as log:
            return [line.strip() for line in log if line.startswith(start)]

    def run(self, *args):
        done = subprocess.run(self.program + list(args), env=self.env, capture_output=True,
                              text=True, timeout=30)
        return done.returncode, done.stdout.strip()

    def status(self):
        code, out = self.run("--status")
        return json.loads(out) if code == 0 else {}

    def end(self):
        for proc in (self.proc, self.bus):
            if proc:
                end(proc, signal.SIGKILL)
        self.folder.remove()


class recording:  # lower case, as the with-statements read it
    """The session's sound output: records the null sink's monitor with parec
    while a with-block runs, timing each piece read."""

    def __init__(self, session):
        self.pieces = []        # (arrival time, samples read so far)
        self.data = bytearray()
        self.proc = subprocess.Popen(
            ["parec", "--raw", "--device=%s.monitor" % session["SINK"], "--format=s16le",
             "--rate=%d" % RATE, "--channels=1", "--latency-msec=10"],
            stdout=subprocess.PIPE, env=client_env(session))
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        wait_for(lambda: self.pieces, what="parec records nothing")

    def _read(self):
        fd = self.proc.stdout.fileno()
        while piece := os.read(fd, 4096):
            now = time.monotonic()
            self.data += piece
            self.pieces.append((now, len(self.data) // 2))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        end(self.proc, signal.SIGINT)
        self.thread.join(5)
        self.samples = array.array("h", bytes(self.data[: len(self.data) // 2 * 2]))
        # Time of sample 0: see the module's comment.
        self.start = min(t - n / RATE for t, n in self.pieces)

    def time_of(self, index):
        return self.start + index / RATE


class Program:
    """The program started in the session, its window found and focused, and
    keys pressed through the X server's XTest extension; it ends with the
    with-block it serves."""

    def __init__(self, folder, session):
        """Runs the program in folder.path, its output going to folder.tmp/program.log."""
        self.env = client_env(session)
        with open(os.path.join(folder.tmp, "program.log"), "a") as log:
            self.proc = subprocess.Popen(["./zorvu-timer"], cwd=folder.path, env=self.env,
                                         stdout=log, stderr=subprocess.STDOUT)
        self.xdotool("search", "--sync", "--onlyvisible", "--name", WINDOW_TITLE,
                     "windowactivate", "--sync", "windowfocus", "--sync", timeout=30)
        self.display = ctypes.c_void_p(X11.XOpenDisplay(self.env["DISPLAY"].encode()))
        assert self.display.value, "cannot open display " + self.env["DISPLAY"]

    def xdotool(self, *args, timeout=10, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, check=check, timeout=timeout,
                              stdout=subprocess.PIPE, text=True).stdout

    def press(self, key, held=(), seconds=0):
        """Presses the key (a keysym name) while the keys held (e.g. Control_L) are
        down, and lets it go after the seconds (the server repeats a key held long);
        returns the moment the X server had taken the press."""
        codes = [X11.XKeysymToKeycode(self.display, X11.XStringToKeysym(k.encode()))
                 for k in [*held, key]]
        for down, order in ((1, codes), (0, codes[::-1])):
            for code in order:
                XTST.XTestFakeKeyEvent(self.display, code, down, 0)
            X11.XSync(self.display, 0)
            if down:
                taken = time.monotonic()
                time.sleep(seconds)
        return taken

    def status(self, folder):
        """What --status of the program in the folder says, as a dict."""
        return json.loads(subprocess.check_output(["./zorvu-timer", "--status"], cwd=folder.path,
                                                  env=self.env, text=True, timeout=10))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        X11.XCloseDisplay(self.display)
        end(self.proc)


def run_clock(folder, session, ticks, tail):
    """Runs the program from the folder in the session, recorded: S starts its
    game clock, and S again half a second after tick `ticks` stops it, so that
    the last sound is heard to its end within `tail` seconds. Returns the moment
    the X server had taken the first S, the program's exit code and the recorder."""
    with recording(session) as recorder, Program(folder, session) as program:
        time.sleep(0.5)
        pressed = program.press("s")
        time.sleep(pressed + ticks + 0.5 - time.monotonic())
        program.press("s")
        time.sleep(tail)
    return pressed, program.proc.returncode, recorder


def sounds_heard(samples, freqs):
    """Splits a recording into the sounds heard: a list of dicts with onset and
    end (sample indices), the tone's name ('?' when no known tone carries the
    sound) and the frames' labels. freqs maps names to tone frequencies."""
    waves = {name: [[f(2 * math.pi * hz * i / RATE) for i in range(FRAME)]
                    for f in (math.cos, math.sin)] for name, hz in freqs.items()}

    def label(frame, energy):
        """The tone that carries at least PURE of the frame's energy, else '?'."""
        power, name = max(((sum(map(operator.mul, frame, c)) ** 2
                            + sum(map(operator.mul, frame, s)) ** 2) * 2 / FRAME, name)
                          for name, (c, s) in waves.items())
        return name if power >= PURE * energy else "?"

    frames = [samples[i:i + FRAME] for i in range(0, len(samples) - FRAME + 1, FRAME)]
    energy = [sum(map(operator.mul, frame, frame)) for frame in frames]
    loud = [f for f, e in enumerate(energy) if e > (SILENT_RMS * 32768) ** 2 * FRAME]
    # A sound: loud frames with at most MERGE_GAP silent ones between any two.
    firsts = [i for i, f in enumerate(loud) if i == 0 or f - loud[i - 1] > MERGE_GAP + 1]
    heard = []
    for group in (loud[a:b] for a, b in zip(firsts, firsts[1:] + [len(loud)])):
        # A frame that a sound fills only in part (at its start, its end, or a
        # pause inside it) is labelled "-" and does not count: a tone over part
        # of a frame carries only that part of the frame's power.
        full = 0.7 * max(energy[f] for f in group)
        labels = [label(frames[f], energy[f]) if energy[f] >= full else "-" for f in group]

        # One sound can follow another without a pause (the newer cuts the
        # older): split where the tone changes. A single unclear frame where
        # one tone meets the next is the seam, not a sound of its own.
        runs = []  # [label, first frame index in group, last]
        for i, name in enumerate(labels):
            if name != "-":
                runs += [] if runs and runs[-1][0] == name else [[name, i, i]]
                runs[-1][2] = i
        runs = [r for r in runs if not (r[0] == "?" and r[1] == r[2])] or [["?", 0, len(group) - 1]]
        for n, (name, a, b) in enumerate(runs):
            onset = group[a] * FRAME
            if n == 0:  # the sound's first loud sample, from the start of the group
                onset = next((i for i in range(max(0, group[0] * FRAME - FRAME), onset + FRAME)
                              if abs(samples[i]) >= ONSET_LEVEL * 32768), onset)
            end_ = (group[runs[n + 1][1] - 1] if n + 1 < len(runs) else group[-1]) + 1
            heard.append(dict(onset=onset, end=end_ * FRAME, name=name, labels=labels[a:b + 1]))
    return heard
