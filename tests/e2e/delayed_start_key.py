#!/usr/bin/env python3
"""End to end: one press of D opens one Delayed Start box. Under a window
manager the focus comes back to the main window only some time after the box's
own event loop has ended; the press must not act a second time then.

usage: delayed_start_key.py SESSION_POINTER STAGED_PROGRAM_FOLDER
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

BOX = "^Delayed Start$"
TONE = 1200


def boxes_open(program):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", BOX],
                           env=program.env, stdout=subprocess.PIPE, text=True)
    return len(found.stdout.split())


def main():
    session = harness.load_session(sys.argv[1])
    folder = harness.ProgramFolder(sys.argv[2])
    # The Sniper Rifle's notice comes with the clock's first tick.
    folder.write_ini(harness.times_ini([3, 999, 999, 999], lead=2))
    harness.write_tone(folder.sound("s.wav"), TONE)
    failures = []
    with harness.recording(session) as recorder:
        program = harness.Program(folder.path, session, os.path.join(folder.tmp, "program.log"))
        try:
            program.keyboard.press("d")
            program._xdotool("search", "--sync", "--onlyvisible", "--name", BOX)
            program.keyboard.press("1")  # replaces the 30 the box offers
            entered = program.keyboard.press("Return")
            time.sleep(1.0)
            if boxes_open(program):
                failures.append("a Delayed Start box is open after Enter")
            # The count shows 1, then 0; the clock starts 2 s after Enter and ticks 1 s later.
            time.sleep(entered + 3.8 - time.monotonic())
        finally:
            program.stop()
    heard = [h["name"] for h in harness.sounds_heard(recorder.samples, {"s": TONE})]
    if heard != ["s"]:
        failures.append("heard %s, not the first tick's notice" % heard)
    for f in failures:
        print("FAIL:", f)
    if failures:
        print("kept", folder.tmp)
    else:
        folder.remove()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
