#!/usr/bin/env python3
"""End to end: the staged program, started in a private desktop session, plays
the right sound file in the right second after S starts its clock.

Each sound file is a pure tone of its own frequency, so the recording of the
sound server's output tells which file played. The expected (tick, file) list is
worked out here from the times.ini written, by the rules of the game clock:
the first tick comes 1000 ms after the start; each tick's notification pass sees
the countdowns as they stood before the tick; an item of period P shows P, P-1,
..., 1 and then P again; it is due when the countdown seen is the lead time + 1
(notice) or 1 (respawn); the items due in one tick play one combined file.

usage: respawn_sounds.py SESSION_POINTER STAGED_PROGRAM_FOLDER [--keep]
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TOLERANCE = 0.150      # seconds a sound may start away from its tick
TICKS = 20             # ticks recorded after S
LENGTH_TOLERANCE = 0.060  # seconds a sound may be heard longer or shorter

LETTERS = "srco"
KEYS = ["sniper", "rocket", "camo", "overshield"]

# The settings this run writes. Lead time 2 s; periods chosen so that within 20
# ticks there are single notices and respawns and pairs of items due together.
LEAD = 2
PERIODS = [6, 8, 5, 7]          # sniper, rocket, camo, overshield on map 0
NOTIFY = [1, 1, 1, 1]
MISSING = "so.wav"              # left out: the built-in alert plays instead
# Tones last 0.3 s, but this one 1.3 s: the sound of the next second must cut it.
LONG = {"c.wav": 1.3}
ALERT_LENGTH = 0.23             # two 90 ms beeps 60 ms apart

COMBINATIONS = ["s", "r", "c", "o", "sr", "sc", "so", "rc", "ro", "co",
                "src", "sro", "sco", "rco", "srco"]
FILES = [c + ".wav" for c in COMBINATIONS] + ["hill.wav", "oddball.wav"]


def times_ini():
    lines = ["[settings]", "time=%d" % LEAD]
    lines += ["notify%s=%d" % (k, n) for k, n in zip(KEYS, NOTIFY)]
    lines += ["respawnsound=0", "defaultsoundfilename=", "boxtype=0", "alwaysontop=0",
              "disablescreensaver=0", "disablehotkeys=0", ""]
    for m in range(13):
        periods = PERIODS if m == 0 else [999] * 4
        lines.append("[%d]" % m)
        lines += ["%s=%d" % (k, p) for k, p in zip(KEYS, periods)]
        lines.append("")
    return "\n".join(lines)


def expected_sounds(periods, lead, notify, ticks):
    """[(tick, file)] for a clock started from fresh countdowns."""
    countdown = list(periods)
    out = []
    for tick in range(1, ticks + 1):
        due = [notify[k] == 1 and countdown[k] in (lead + 1, 1) for k in range(4)]
        if any(due):
            out.append((tick, "".join(LETTERS[k] for k in range(4) if due[k]) + ".wav"))
        for k in range(4):
            if countdown[k] != 999:
                countdown[k] -= 1
                if countdown[k] == 0:
                    countdown[k] = periods[k]
    return out


def tone_frequencies():
    # 1200, 1400, ... Hz: far from each other at 10 ms frames, and from the alert.
    freqs = {name: 1200 + 200 * i for i, name in enumerate(FILES)}
    freqs["alert"] = harness.ALERT_HZ
    return freqs


def main():
    pointer, staged = sys.argv[1], sys.argv[2]
    keep = "--keep" in sys.argv
    session = harness.load_session(pointer)
    freqs = tone_frequencies()

    folder = harness.ProgramFolder(staged)
    folder.write_ini(times_ini())
    for name in FILES:
        if name != MISSING:
            harness.write_tone(folder.sound(name), freqs[name], LONG.get(name, 0.3))

    expected = [(tick, "alert" if name == MISSING else name)
                for tick, name in expected_sounds(PERIODS, LEAD, NOTIFY, TICKS)]

    recorder = harness.Recorder(session)
    recorder.wait_started()
    program = None
    try:
        program = harness.Program(folder.path, session, os.path.join(folder.tmp, "program.log"))
        harness.time.sleep(0.5)
        pressed = program.press("s")
        # S again half way to the next tick stops the clock, so the last sound
        # can be heard to its end.
        harness.time.sleep(pressed + TICKS + 0.5 - harness.time.monotonic())
        program.press("s")
        harness.time.sleep(max(LONG.values()) + 0.3)
    finally:
        rc = program.stop() if program else None
        samples = recorder.stop()

    heard = harness.sounds_heard(samples, freqs)
    failures = []
    if program and rc not in (0, -15):
        failures.append("the program ended with %s" % rc)

    print("%-6s %-12s %-12s %6s %6s" % ("tick", "expected", "heard", "delay", "length"))
    remaining = list(heard)
    for i, (tick, name) in enumerate(expected):
        due = pressed + tick
        match = None
        for h in remaining:
            if abs(recorder.time_of(h["onset"]) - due) <= 0.5:
                match = h
                break
        if match is None:
            print("%-6d %-12s %-12s" % (tick, name, "-"))
            failures.append("tick %d: %s not heard" % (tick, name))
            continue
        remaining.remove(match)
        delay = recorder.time_of(match["onset"]) - due
        length = (match["end"] - match["onset"]) / harness.RATE
        # Heard in full, or until the next second's sound replaced it.
        full = ALERT_LENGTH if name == "alert" else LONG.get(name, 0.3)
        if i + 1 < len(expected):
            full = min(full, expected[i + 1][0] - tick)
        print("%-6d %-12s %-12s %+6.1f %6.0f" % (tick, name, match["name"], delay * 1000, length * 1000))
        if match["name"] != name:
            failures.append("tick %d: heard %s, expected %s" % (tick, match["name"], name))
        if abs(delay) > TOLERANCE:
            failures.append("tick %d: %s came %+.0f ms from its second" % (tick, name, delay * 1000))
        if abs(length - full) > LENGTH_TOLERANCE:
            failures.append("tick %d: %s was heard for %.0f ms, not %.0f"
                            % (tick, name, length * 1000, full * 1000))
    for h in remaining:
        at = recorder.time_of(h["onset"]) - pressed
        failures.append("extra sound %s at %+.3f s from S (frames %s)"
                        % (h["name"], at, " ".join(h["labels"])))

    if keep:
        path = os.path.join(folder.tmp, "recording.raw")
        with open(path, "wb") as f:
            f.write(samples.tobytes())
        print("kept", folder.tmp)
    else:
        folder.remove()

    for f in failures:
        print("FAIL:", f)
    print("%d sounds expected, %d heard" % (len(expected), len(heard)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
