#!/usr/bin/env python3
"""End to end: with global shortcuts on, Ctrl+Alt+S starts the clock while another
program's window has the focus (the keys are grabbed on the X server; the session
bus has no portal).

usage: global_shortcuts.py SESSION_POINTER STAGED_PROGRAM_FOLDER
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def main(pointer, staged):
    folder = harness.ProgramFolder(staged)
    folder.write_ini(harness.times_ini([30] * 4).replace("[settings]", "[settings]\nglobalshortcuts=1"))
    program = harness.Program(folder, harness.load_session(pointer))
    other = subprocess.Popen(["xmessage", "-title", "other", "another program"], env=program.env)
    try:
        window = program.xdotool("search", "--sync", "--onlyvisible", "--name", "^other$").split()[0]
        program.xdotool("windowactivate", "--sync", window)
        program.press("s", held=["Control_L", "Alt_L"])
        time.sleep(0.5)
        focused = program.xdotool("getactivewindow").strip()
        status = subprocess.run([os.path.join(folder.path, "zorvu-timer"), "--status"], env=program.env,
                                stdout=subprocess.PIPE, text=True, timeout=10).stdout
    finally:
        other.kill()
        program.stop()
    print("focused %s (other %s); status %s" % (focused, window, status.strip()))
    return harness.finish(folder, [] if focused == window and '"running":true' in status else ["not started"])


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
