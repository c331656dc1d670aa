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
import contextlib
import ctypes
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


def load_session(pointer):
    """The environment a client of the session needs, from session's env file."""
    with open(pointer) as f:
        folder = f.read().strip()
    env = {}
    with open(os.path.join(folder, "env")) as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            if key:
                env[key] = value
    return env


def client_env(session):
    env = dict(os.environ)
    env.update(session)
    env["QT_QPA_PLATFORM"] = "xcb"
    env.pop("SINK", None)
    return env


def times_ini(periods, lead=15, notify=(1, 1, 1, 1), respawnsound=0, default_file="",
              volume=100, device=""):
    """times.ini: map 0's periods (in KEYS' order) as given, every other map's
    999 (never due), the notification settings and the sound output."""
    lines = ["[settings]", "time=%d" % lead]
    lines += ["notify%s=%d" % (k, n) for k, n in zip(KEYS, notify)]
    lines += ["respawnsound=%d" % respawnsound, "defaultsoundfilename=" + default_file,
              "boxtype=0", "alwaysontop=0", "disablescreensaver=0", "disablehotkeys=0",
              "outputdevice=" + device, "volume=%d" % volume, ""]
    for m in range(13):
        lines.append("[%d]" % m)
        lines += ["%s=%d" % (k, p) for k, p in zip(KEYS, periods if m == 0 else [999] * 4)]
        lines.append("")
    return "\n".join(lines)


def write_tone(path, hz, seconds=0.3, silence=0.4, level=0.5):
    """A pure tone with soft 5 ms edges, then silence (the player drops the
    last ~120 ms of a sound, which must not be tone)."""
    n = int(seconds * RATE)
    edge = int(0.005 * RATE)
    data = array.array("h")
    for i in range(n):
        gain = min(1.0, i / edge, (n - 1 - i) / edge)
        data.append(int(level * 32767 * gain * math.sin(2 * math.pi * hz * i / RATE)))
    data.extend([0] * int(silence * RATE))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes())


class ProgramFolder:
    """A copy of the staged program folder in a temporary folder."""

    def __init__(self, staged):
        self.tmp = tempfile.mkdtemp(prefix="zorvu-e2e-program.")
        self.path = os.path.join(self.tmp, "zorvu-timer")
        shutil.copytree(staged, self.path)
        shutil.rmtree(os.path.join(self.path, "sounds"), ignore_errors=True)
        os.mkdir(os.path.join(self.path, "sounds"))

    def write_ini(self, text):
        with open(os.path.join(self.path, "times.ini"), "w", newline="\r\n") as f:
            f.write(text)

    def sound(self, name):
        return os.path.join(self.path, "sounds", name)

    def remove(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


class Recorder:
    """Records the null sink's monitor with parec, timing each piece read."""

    def __init__(self, session):
        self.pieces = []        # (arrival time, samples read so far)
        self.data = bytearray()
        self.proc = subprocess.Popen(
            ["parec", "--raw", "--device=%s.monitor" % session["SINK"],
             "--format=s16le", "--rate=%d" % RATE, "--channels=1",
             "--latency-msec=10"],
            stdout=subprocess.PIPE, env=client_env(session))
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            piece = os.read(fd, 4096)
            now = time.monotonic()
            if not piece:
                return
            self.data += piece
            self.pieces.append((now, len(self.data) // 2))

    def wait_started(self, timeout=10):
        deadline = time.monotonic() + timeout
        while not self.pieces:
            if time.monotonic() > deadline:
                raise RuntimeError("parec records nothing")
            time.sleep(0.01)

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.thread.join(5)
        self.samples = array.array("h")
        self.samples.frombytes(bytes(self.data[: len(self.data) // 2 * 2]))
        # Time of sample 0: see the module's comment.
        self.start = min(t - n / RATE for t, n in self.pieces)
        return self.samples

    def time_of(self, index):
        return self.start + index / RATE


class Keyboard:
    """Key presses through the X server's XTest extension."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display)

    def press(self, key, held=()):
        """Presses the key (a keysym name) while the keys held (e.g. Control_L) are down."""
        codes = [self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(k.encode()))
                 for k in [*held, key]]
        for code in codes:
            self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.x11.XSync(self.display, 0)
        taken = time.monotonic()
        for code in reversed(codes):
            self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XSync(self.display, 0)
        return taken

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None


class Program:
    """The program started in the session, its window found and focused."""

    def __init__(self, folder, session, log_path):
        self.env = client_env(session)
        self.log = open(log_path, "w")
        self.proc = subprocess.Popen([os.path.join(folder, "zorvu-timer")], cwd=folder,
                                     env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        self.window = self._xdotool("search", "--sync", "--onlyvisible", "--name",
                                    WINDOW_TITLE, timeout=30).split()[0]
        self._xdotool("windowactivate", "--sync", self.window)
        self._xdotool("windowfocus", "--sync", self.window)
        self.keyboard = Keyboard(self.env["DISPLAY"])

    def _xdotool(self, *args, timeout=10):
        return subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=timeout,
                              stdout=subprocess.PIPE, text=True).stdout

    def stop(self):
        self.keyboard.close()
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        return self.proc.returncode


@contextlib.contextmanager
def recording(session):
    """Records the session's sound output while the block runs."""
    recorder = Recorder(session)
    recorder.wait_started()
    try:
        yield recorder
    finally:
        recorder.stop()


def run_clock(folder, session, ticks, tail):
    """Runs the program from the folder in the session, recorded: S starts its
    game clock, and S again half a second after tick `ticks` stops it, so that
    the last sound is heard to its end within `tail` seconds. Returns the moment
    the X server had taken the first S, the program's exit code and the recorder."""
    with recording(session) as recorder:
        program = Program(folder.path, session, os.path.join(folder.tmp, "program.log"))
        try:
            time.sleep(0.5)
            pressed = program.keyboard.press("s")
            time.sleep(pressed + ticks + 0.5 - time.monotonic())
            program.keyboard.press("s")
            time.sleep(tail)
        finally:
            rc = program.stop()
    return pressed, rc, recorder


def _goertzel_tables(freqs):
    tables = {}
    for name, hz in freqs.items():
        w = 2 * math.pi * hz / RATE
        tables[name] = ([math.cos(w * i) for i in range(FRAME)],
                        [math.sin(w * i) for i in range(FRAME)])
    return tables


def frame_label(frame, energy, tables):
    """The tone that carries most of the frame's energy, and that share."""
    best, best_power = None, 0.0
    for name, (c, s) in tables.items():
        re = sum(map(operator.mul, frame, c))
        im = sum(map(operator.mul, frame, s))
        power = (re * re + im * im) * 2 / len(frame)
        if power > best_power:
            best, best_power = name, power
    return best, (best_power / energy if energy else 0.0)


def sounds_heard(samples, freqs):
    """Splits a recording into the sounds heard: a list of dicts with onset and
    end (sample indices), the tone's name ('?' when no known tone carries the
    sound) and the frames' labels. freqs maps names to tone frequencies."""
    tables = _goertzel_tables(freqs)
    limit = (SILENT_RMS * 32768) ** 2 * FRAME
    frames = [samples[i:i + FRAME] for i in range(0, len(samples) - FRAME + 1, FRAME)]
    energy = [sum(map(operator.mul, frame, frame)) for frame in frames]
    loud = [f for f, e in enumerate(energy) if e > limit]

    # Group loud frames into sounds.
    groups = []
    for f in loud:
        if groups and f - groups[-1][-1] <= MERGE_GAP + 1:
            groups[-1].append(f)
        else:
            groups.append([f])

    heard = []
    level = ONSET_LEVEL * 32768
    for group in groups:
        # A frame that a sound fills only in part (at its start, its end, or a
        # pause inside it) is labelled "-" and does not count: a tone over part
        # of a frame carries only that part of the frame's power.
        full = 0.7 * max(energy[f] for f in group)
        labels = []
        for f in group:
            if energy[f] < full:
                labels.append("-")
                continue
            name, share = frame_label(frames[f], energy[f], tables)
            labels.append(name if share >= PURE else "?")

        # One sound can follow another without a pause (the newer cuts the
        # older): split where the tone changes. A single unclear frame where
        # one tone meets the next is the seam, not a sound of its own.
        runs = []  # [label, first frame index in group, last]
        for i, label in enumerate(labels):
            if label == "-":
                continue
            if runs and runs[-1][0] == label:
                runs[-1][2] = i
            else:
                runs.append([label, i, i])
        runs = [r for r in runs if not (r[0] == "?" and r[1] == r[2])] or [["?", 0, len(group) - 1]]
        for n, (name, a, b) in enumerate(runs):
            first = group[a] * FRAME
            if n == 0:
                # The sound's first loud sample, from the start of the group.
                begin = max(0, group[0] * FRAME - FRAME)
                onset = next((i for i in range(begin, first + FRAME)
                              if abs(samples[i]) >= level), first)
            else:
                onset = first
            end = (group[runs[n + 1][1] - 1] if n + 1 < len(runs) else group[-1]) + 1
            heard.append({"onset": onset, "end": end * FRAME, "name": name,
                          "labels": labels[a:b + 1]})
    return heard
