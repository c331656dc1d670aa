#!/usr/bin/env python3
"""End to end: with global shortcuts on, Ctrl+Alt+S starts the clock while another
program's window has the focus (the keys are grabbed on the X server; the session
has no portal). Map 0's Sniper Rifle respawns every second, so a running clock is
heard at every tick.

usage: global_shortcuts.py SESSION_POINTER STAGED_PROGRAM_FOLDER
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def main(pointer, staged):
    # Never the desktop's own bus: its portal would take the shortcuts.
    session = dict(harness.load_session(pointer))
    session.setdefault("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent")
    folder = harness.ProgramFolder(staged)
    ini = harness.times_ini([1, 999, 999, 999], notify=(1, 0, 0, 0))
    folder.write_ini(ini.replace("[settings]", "[settings]\nglobalshortcuts=1"))
    harness.write_tone(folder.sound("s.wav"), 600)
    with harness.recording(session) as recorder:
        program = harness.Program(folder.path, session, os.path.join(folder.tmp, "program.log"))
        other = subprocess.Popen(["xmessage", "-title", "other", "another program"], env=program.env)
        try:
            window = program._xdotool("search", "--sync", "--onlyvisible", "--name", "^other$").split()[0]
            program._xdotool("windowactivate", "--sync", window)
            pressed = program.keyboard.press("s", held=["Control_L", "Alt_L"])
            time.sleep(2.6)
            focused = program._xdotool("getactivewindow").strip()
        finally:
            other.kill()
            program.stop()
    heard = harness.sounds_heard(recorder.samples, {"s": 600})
    onsets = [round(recorder.time_of(s["onset"]) - pressed, 3) for s in heard if s["name"] == "s"]
    ok = focused == window and len(onsets) >= 2 and min(onsets) > 0.5
    print("focused %s (other %s); heard %s s after the press; in %s" % (focused, window, onsets, folder.tmp))
    if ok:
        folder.remove()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
