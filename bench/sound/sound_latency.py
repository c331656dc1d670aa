#!/usr/bin/env python3
"""Benchmark: how long from a tick of the game clock to the first audible
sample of the sound it plays.

Both runs use the end-to-end tests' private desktop session (Xvfb, openbox, a
PulseAudio null sink, see tests/e2e/harness.py) and record the null sink's
monitor; each sound's first loud sample is put on CLOCK_MONOTONIC.

1. tick: tick_to_sound (built beside this script) runs the program's running
   match, with its tick timer and sound player, and prints the moment each tick
   was due; the delay is from that moment to the sound. This is the figure the
   target is for. Twice more, with fewer ticks, with a callout offset of -300 and
   +300 ms, where each sound is scheduled apart from its tick (ahead of it, or
   after it) and the delay is from the tick plus the offset.
2. program: the staged program itself, with a times.ini in which the Sniper
   Rifle respawns every second, so every tick plays s.wav; S is pressed through
   XTest and tick n is taken as n seconds after the X server had the key. So
   this figure also holds the key's way to the program (about 4 to 20 ms), which
   is paid once, at the start.

Both play at a volume of VOLUME % through the sound server's sink chosen by its
id, as a user's choice in File > Sound Output would.

usage: sound_latency.py TICK_TO_SOUND STAGED_PROGRAM_FOLDER [TICKS]  (default 60)
   or: cmake --build build --target bench_sound
"""

import os
import statistics
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
e2e = os.path.join(here, "..", "..", "tests", "e2e")
sys.path.insert(0, e2e)
import harness  # noqa: E402

TONE_HZ = 1500
TARGET_MEDIAN_MS = 30
TARGET_LARGEST_MS = 60
VOLUME = 80


def run_ticks(session, tool, folder, ticks, offset=0):
    """[moment the sound of tick n was due] from tick_to_sound, and the recorder."""
    env = harness.client_env(session)
    env["QT_QPA_PLATFORM"] = "offscreen"
    with harness.recording(session) as recorder:
        out = subprocess.run([tool, folder.sound("s.wav"), str(ticks), str(VOLUME), session["SINK"],
                              str(offset)], env=env, check=True,
                             stdout=subprocess.PIPE, text=True, timeout=ticks + 30).stdout
    moments = [float(line.split()[2]) for line in out.splitlines() if line.startswith("tick ")]
    return moments, recorder


def run_program(session, folder, ticks):
    """[nominal moment of tick n] for the program started by S, and the recorder."""
    # The Sniper Rifle every second.
    folder.write_ini(harness.times_ini([1, 999, 999, 999], volume=VOLUME, device=session["SINK"]))
    pressed, _, recorder = harness.run_clock(folder, session, ticks, 0.5)
    return [pressed + n for n in range(1, ticks + 1)], recorder


def report(title, moments, recorder):
    heard = harness.sounds_heard(recorder.samples, {"s.wav": TONE_HZ})
    onsets = sorted(recorder.time_of(h["onset"]) for h in heard)
    delays, missing = [], []
    for n, moment in enumerate(moments, 1):
        near = [t - moment for t in onsets if -0.2 <= t - moment < 0.5]
        if near:
            delays.append(near[0] * 1000)
        else:
            missing.append(n)
    extra = len(onsets) - len(delays)
    print("%s: ticks %d, sounds heard %d, missing %s, extra %d"
          % (title, len(moments), len(delays), missing or "none", extra))
    if delays:
        median, largest = statistics.median(delays), max(delays)
        print("  to the first audible sample (ms): median %.1f, mean %.1f, smallest %.1f, "
              "largest %.1f" % (median, statistics.mean(delays), min(delays), largest))
        print("  five slowest: " + ", ".join("%.1f" % d for d in sorted(delays)[-5:]))
        print("  target median < %d ms: %s; largest < %d ms: %s"
              % (TARGET_MEDIAN_MS, "met" if median < TARGET_MEDIAN_MS else "NOT met",
                 TARGET_LARGEST_MS, "met" if largest < TARGET_LARGEST_MS else "NOT met"))
    return bool(delays) and not missing and not extra


def main():
    tool, staged = sys.argv[1], sys.argv[2]
    ticks = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    session_script = os.path.join(e2e, "session")
    pointer = os.path.join(tempfile.mkdtemp(prefix="zorvu-bench."), "session.path")
    subprocess.run([session_script, "start", pointer], check=True)
    folder = harness.ProgramFolder(staged)
    try:
        session = harness.load_session(pointer)
        harness.write_tone(folder.sound("s.wav"), TONE_HZ)
        ok = report("tick (the running match on its timer)",
                    *run_ticks(session, tool, folder, ticks))
        for offset in (-300, 300):
            ok &= report("tick, callout offset %+d ms" % offset,
                         *run_ticks(session, tool, folder, max(ticks // 2, 1), offset))
        ok &= report("program (from the S key, nominal ticks)",
                     *run_program(session, folder, ticks))
    finally:
        folder.remove()
        subprocess.run([session_script, "stop", pointer])
        os.rmdir(os.path.dirname(pointer))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
