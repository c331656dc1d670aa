#!/usr/bin/env bash
# Runs one test program on a desktop of its own: a private X server on a free
# display, the openbox window manager and a private session bus. Everything it
# starts is stopped when the program ends.
#   run-on-x11.sh PROGRAM [ARGS...]
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
  local tries=$1
  shift
  for ((i = 0; i < tries; ++i)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Xvfb picks a free display itself and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! wait_for 100 test -s "$work/display"; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready when it has announced itself on the root window.
if ! wait_for 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'; then
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work"
dbus-run-session -- "$@"
