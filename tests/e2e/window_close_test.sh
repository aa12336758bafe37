#!/usr/bin/env bash
# The real program in a real X window (with PITBOX_WM=openbox, under a window
# manager): title, client size, and a clean exit with code 0 within two
# seconds of a click on the window manager's close box (on a bare server, of
# its close message), with a folder loaded and watched.
#   window_close_test.sh PROGRAM [ARGS...]   (the program, or Wine's run.sh and pitbox.exe)
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"
start_xvfb

work=$(mktemp -d)
cd "$work" || exit 1
export XDG_STATE_HOME="$work/state"  # a first start: nothing remembered
"$@" >"$work/log" 2>&1 &
pid=$!
window=$(wait_window "Kestrun Pitbox") || { echo "no main window"; cat "$work/log"; exit 1; }
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "1000x720" ] || { echo "client size $size, expected 1000x720"; exit 1; }
sleep 2  # the folder listed, its watch begun
close_box "$window"
for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running 2 s after the close box"; kill -9 "$pid"; exit 1; fi
wait "$pid"
code=$?
[ "$code" -eq 0 ] || { echo "exit code $code"; cat "$work/log"; rm -rf "$work"; exit 1; }
rm -rf "$work"
echo "window 1000x720 titled Kestrun Pitbox closed with exit code 0"
