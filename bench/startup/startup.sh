#!/usr/bin/env bash
# Benchmark: how long the program takes from its start to its window on the
# screen, against a bare Qt Widgets + Multimedia program (bare.cpp), both
# started alternately with the end-to-end tests' private sound server and a
# private session bus, on an X server of their own without a window manager:
# openbox adds about 65 ms to every map, the same for both, which only hides
# the difference.
#
# usage: startup.sh MAP_TIMER BARE PROGRAM [RUNS]   (default 60 runs each)
#    or: cmake --build build --target bench_startup
set -euo pipefail

timer=${1:?map timer} bare=${2:?bare program} program=${3:?staged program} runs=${4:-60}
session=$(dirname "$0")/../../tests/e2e/session
pointer=$(mktemp /tmp/zorvu-startup-bench.XXXXXX)
displayfile=$(mktemp /tmp/zorvu-startup-display.XXXXXX)
xvfb=
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  "$session" stop "$pointer"
  rm -f "$pointer" "$displayfile"
}
trap cleanup EXIT

"$session" start "$pointer"
set -a
# shellcheck source=/dev/null
. "$(cat "$pointer")/env"
set +a
# No session manager here: set but empty, Qt tries one anyway and complains.
unset SINK SESSION_MANAGER

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do grep -q '[0-9]' "$displayfile" && break; sleep 0.1; done
export DISPLAY=:$(tr -dc 0-9 < "$displayfile") QT_QPA_PLATFORM=xcb

# The bus daemon's complaint that it may not raise its file limit is noise here.
dbus-run-session -- "$timer" "$runs" "$bare" "$program" 2> >(grep -v 'fd limit' >&2)
