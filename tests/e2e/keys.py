#!/usr/bin/env python3
"""End to end, keys under a real window manager, in two runs of the program:

- One press of D opens one Delayed Start box. The focus comes back to the main
  window only some time after the box's own event loop has ended; the press must
  not act a second time then.
- A key held down acts once, though the X server repeats it: S starts the clock
  and = runs one tick at once. Then, with global shortcuts on, Ctrl+Alt+S stops
  the clock while another program's window has the focus (the keys are grabbed
  on the X server; the session bus has no portal), and starts it when pressed again.

usage: keys.py SESSION_POINTER STAGED_PROGRAM_FOLDER
"""

import subprocess
import sys
import time

import harness

BOX = "^Delayed Start$"
session, folder = harness.load_session(sys.argv[1]), harness.ProgramFolder(sys.argv[2])

# The Sniper Rifle's notice comes with the clock's first tick. Global shortcuts on.
ini = harness.times_ini([3, 999, 999, 999], lead=2)
folder.write_ini(ini.replace("[settings]", "[settings]\nglobalshortcuts=1"))
harness.write_tone(folder.sound("s.wav"), 1200)
with harness.recording(session) as recorder, harness.Program(folder, session) as program:
    program.press("d")
    program.xdotool("search", "--sync", "--onlyvisible", "--name", BOX)
    program.press("1")  # replaces the 30 the box offers
    entered = program.press("Return")
    time.sleep(1.0)
    boxes = program.xdotool("search", "--onlyvisible", "--name", BOX, check=False).split()
    # The count shows 1, then 0; the clock starts 2 s after Enter and ticks 1 s later.
    time.sleep(entered + 3.8 - time.monotonic())
heard = [h["name"] for h in harness.sounds_heard(recorder.samples, {"s": 1200})]
assert not boxes and heard == ["s"], "D: boxes open after Enter %s, heard %s" % (boxes, heard)

with harness.Program(folder, session) as program:
    started = program.press("s", seconds=1.5)
    program.press("equal", seconds=1.5)
    asked = time.monotonic()
    status = program.status(folder)
    # The ticks since S, and the one = ran; a tick may fall while --status runs.
    want = {"00:00:%02d" % (int(t - started) + 1) for t in (asked, time.monotonic())}
    # Repeated at the X server's default rate, each key would act some twenty times.
    assert status["running"] and status["clock"] in want, (status, want)

    other = subprocess.Popen(["xmessage", "-title", "other", "another program"], env=program.env)
    try:
        program.xdotool("search", "--sync", "--onlyvisible", "--name", "^other$",
                        "windowactivate", "--sync")
        running = []
        for _ in range(2):
            program.press("s", held=["Control_L", "Alt_L"])
            time.sleep(0.5)
            running.append(program.status(folder)["running"])
        focused = program.xdotool("getactivewindow", "getwindowname").strip()
    finally:
        other.kill()
assert focused == "other" and running == [False, True], (focused, running)
folder.remove()
