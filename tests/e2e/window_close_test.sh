#!/usr/bin/env bash
# The real program in a real X window (with PITBOX_WM=openbox, under a window
# manager): title, client size, and a clean exit with code 0 when the window
# manager's close message arrives.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"
pitbox=$1
start_xvfb

work=$(mktemp -d)
cd "$work" || exit 1
export XDG_STATE_HOME="$work/state"  # a first start: nothing remembered
"$pitbox" >"$work/log" 2>&1 &
pid=$!
window=$(wait_window "Kestrun Pitbox") || { echo "no main window"; cat "$work/log"; exit 1; }
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "1000x720" ] || { echo "client size $size, expected 1000x720"; exit 1; }
python3 "$here/xclose.py" "$window"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after the close request"; kill "$pid"; exit 1; fi
wait "$pid"
code=$?
[ "$code" -eq 0 ] || { echo "exit code $code"; cat "$work/log"; rm -rf "$work"; exit 1; }
rm -rf "$work"
echo "window 1000x720 titled Kestrun Pitbox closed with exit code 0"
