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


def main(pointer, staged):
    folder = harness.ProgramFolder(staged)
    # The Sniper Rifle's notice comes with the clock's first tick.
    folder.write_ini(harness.times_ini([3, 999, 999, 999], lead=2))
    harness.write_tone(folder.sound("s.wav"), 1200)
    failures = []
    session = harness.load_session(pointer)
    with harness.recording(session) as recorder:
        program = harness.Program(folder, session)
        try:
            program.press("d")
            program.xdotool("search", "--sync", "--onlyvisible", "--name", BOX)
            program.press("1")  # replaces the 30 the box offers
            entered = program.press("Return")
            time.sleep(1.0)
            if subprocess.run(["xdotool", "search", "--onlyvisible", "--name", BOX], env=program.env,
                              stdout=subprocess.PIPE, text=True).stdout.split():
                failures.append("a Delayed Start box is open after Enter")
            # The count shows 1, then 0; the clock starts 2 s after Enter and ticks 1 s later.
            time.sleep(entered + 3.8 - time.monotonic())
        finally:
            program.stop()
    heard = [h["name"] for h in harness.sounds_heard(recorder.samples, {"s": 1200})]
    if heard != ["s"]:
        failures.append("heard %s, not the first tick's notice" % heard)
    return harness.finish(folder, failures)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
