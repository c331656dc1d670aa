#!/usr/bin/env python3
"""End to end: the staged program, started in a private desktop session, plays
the right sound file in the right second after S starts its clock.

Each sound file is a pure tone of its own frequency, so the recording of the
sound server's output tells which file played. The expected (tick, file) list is
worked out here from the times.ini written, by the rules of the game clock:
the first tick comes 1000 ms after the start; each tick's notification pass sees
the countdowns as they stood before the tick; an item of period P shows P, P-1,
..., 1 and then P again; it is due when the countdown seen is the lead time + 1
(notice) or 1 (respawn); the items due in one tick play one combined file,
unless one notified with 1 respawns: then only the default sound plays.

Each file is in another of the forms of wave file that Windows plays, made by sox.

usage: respawn_sounds.py SESSION_POINTER STAGED_PROGRAM_FOLDER [--keep]
(the program folder copy, its log and the recording are kept when the test
fails or with --keep)
"""

import os
import subprocess
import sys

import harness

TOLERANCE = 0.150      # seconds a sound may start away from its tick
TICKS = 26             # ticks recorded after S
LENGTH_TOLERANCE = 0.060  # seconds a sound may be heard longer or shorter
TONE = 0.3             # seconds of a sound file (all tone), unless LENGTH says otherwise
ALERT_LENGTH = 0.23    # the built-in alert: two 90 ms beeps 60 ms apart
DEFAULT = "default"    # the default sound file's name in the expected list

# times.ini: map 0's periods (sniper, rocket, camo, overshield), lead 2 s, the
# default sound at respawns. Within 26 ticks single items and pairs are announced,
# and respawns fall with another item's notice; the Overshield is not announced at
# all (its respawns bring no default sound either). sc.wav is missing, so the
# built-in alert plays; c.wav is long, so the sound of the next second must cut it;
# r.wav is shorter than the sound server waits to have buffered before it plays.
# The chosen device is unplugged: the default output plays, at half volume (a
# sound file's tone peaks at half of full scale, times the volume's gain).
PERIODS, LEAD, NOTIFY, MISSING = [3, 4, 7, 3], 2, [1, 1, 1, 0], "sc.wav"
LENGTH = {"c.wav": 1.3, "r.wav": 0.08}
DEVICE, VOLUME, GAIN = "usb-headset.analog-stereo", 50, 0.1505
# The form of each file: sox's options for it.
FORMS = {"s.wav": "-b 24",  # WAVE_FORMAT_EXTENSIBLE, as sox writes 24 bits
         "r.wav": "-e floating-point -b 32", "c.wav": "-e mu-law", "sr.wav": "-e a-law",
         "rc.wav": "-b 8", DEFAULT: "-b 24 -c 2 -r 48000"}  # as an audio editor writes it

pointer, staged, *keep = sys.argv[1:]
# The expected (tick, file) list, from fresh countdowns; a file is named by the items'
# letters.
countdown, expected = list(PERIODS), []
for tick in range(1, TICKS + 1):
    due = "".join(x for x, c, n in zip("srco", countdown, NOTIFY) if n and c in (LEAD + 1, 1))
    if any(c == 1 and n == 1 for c, n in zip(countdown, NOTIFY)):
        expected.append((tick, DEFAULT))
    elif due:
        expected.append((tick, "alert" if due + ".wav" == MISSING else due + ".wav"))
    countdown = [c if c == 999 else (c - 1 or p) for c, p in zip(countdown, PERIODS)]

# Only the files expected are written: any other would play the alert. Their tones
# are of 1200, 1400, ... Hz: far from each other at 10 ms frames, and from the alert.
names = sorted({name for _, name in expected} - {"alert"})
freqs = dict({f: 1200 + 200 * i for i, f in enumerate(names)}, alert=harness.ALERT_HZ)
length = dict(dict.fromkeys(names, TONE), **LENGTH, alert=ALERT_LENGTH)
folder = harness.ProgramFolder(staged)
# The default sound is named by its full path, outside the program folder.
default_file = os.path.join(folder.tmp, "respawn.wav")
folder.write_ini(harness.times_ini(PERIODS, LEAD, NOTIFY, 1, default_file, VOLUME, DEVICE))
assert sorted(FORMS) == names, "a form for each file"
for f in names:
    path = default_file if f == DEFAULT else folder.sound(f)
    harness.write_tone(path + ".tmp.wav", freqs[f], length[f], silence=0)
    subprocess.run(["sox", "-D", path + ".tmp.wav", *FORMS[f].split(), path], check=True)
    os.remove(path + ".tmp.wav")

pressed, rc, recorder = harness.run_clock(folder, harness.load_session(pointer), TICKS,
                                          max(length.values()) + 0.3)
# The sounds heard, each with its onset in seconds after the first S.
remaining = [dict(h, at=recorder.time_of(h["onset"]) - pressed)
             for h in harness.sounds_heard(recorder.samples, freqs)]
failures = [] if rc in (0, -15) else ["the program ended with %s" % rc]
for i, (tick, name) in enumerate(expected):
    match = next((h for h in remaining if abs(h["at"] - tick) <= 0.5), None)
    if match is None:
        failures.append("tick %d: %s not heard" % (tick, name))
        continue
    remaining.remove(match)
    delay = match["at"] - tick
    heard_for = (match["end"] - match["onset"]) / harness.RATE
    # Heard in full, or until the next second's sound replaced it.
    full = min(length[name], expected[i + 1][0] - tick if i + 1 < len(expected) else 99)
    peak = max(map(abs, recorder.samples[match["onset"]:match["end"]])) / 32768
    failures += ["tick %d: %s" % (tick, text) for bad, text in [
        (match["name"] != name, "heard %s, expected %s" % (match["name"], name)),
        (abs(delay) > TOLERANCE, "%s came %+.0f ms from its second" % (name, delay * 1000)),
        (abs(heard_for - full) > LENGTH_TOLERANCE,
         "%s was heard for %.0f ms, not %.0f" % (name, heard_for * 1000, full * 1000)),
        (name != "alert" and abs(peak / (0.5 * GAIN) - 1) > 0.05,
         "%s peaked at %.4f of full scale, not %.4f" % (name, peak, 0.5 * GAIN))] if bad]
if "outputdevice=%s\n" % DEVICE not in open(os.path.join(folder.path, "times.ini")).read():
    failures.append("the outputdevice key was changed")
failures += ["extra sound %s at %+.3f s from S (frames %s)"
             % (h["name"], h["at"], " ".join(h["labels"])) for h in remaining]
# Kept with the folder when the test fails or is asked to keep it.
open(os.path.join(folder.tmp, "recording.raw"), "wb").write(recorder.samples.tobytes())
if failures or keep:
    print("kept", folder.tmp)
else:
    folder.remove()
assert not failures, "\n".join(failures)
