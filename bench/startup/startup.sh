#!/usr/bin/env bash
# Benchmark: how long the program takes from its start to its window on the
# screen, against a bare Qt Widgets + Multimedia program (bare.cpp), both
# started alternately in the end-to-end tests' private desktop session (Xvfb,
# openbox, PulseAudio) with a private session bus of their own.
#
# usage: startup.sh MAP_TIMER BARE PROGRAM [RUNS]   (default 60 runs each)
#    or: cmake --build build --target bench_startup
set -euo pipefail

timer=${1:?map timer} bare=${2:?bare program} program=${3:?staged program} runs=${4:-60}
session=$(dirname "$0")/../../tests/e2e/session
pointer=$(mktemp /tmp/zorvu-startup-bench.XXXXXX)
trap '"$session" stop "$pointer"; rm -f "$pointer"' EXIT

"$session" start "$pointer"
set -a
# shellcheck source=/dev/null
. "$(cat "$pointer")/env"
set +a
unset SINK
export QT_QPA_PLATFORM=xcb
# The bus daemon's complaint that it may not raise its file limit is noise here.
dbus-run-session -- "$timer" "$runs" "$bare" "$program" 2> >(grep -v 'fd limit' >&2)
