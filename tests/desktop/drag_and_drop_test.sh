#!/usr/bin/env bash
# Drag and drop with a real file manager (PCManFM) under a window manager, by
# real mouse events: two rows dragged out of Pitbox's table are copied into
# the file manager's folder, the library's files left where they were; a
# track dragged from the file manager onto Pitbox's main window is shown in
# the viewer, and a folder dragged onto it is loaded.
#   drag_and_drop_test.sh PITBOX WRITE_TRACK SCREENSHOT
set -u
here=$(cd "$(dirname "$0")/../e2e" && pwd)
pitbox=$1 writer=$2 screenshot=$3
for tool in pcmanfm tesseract convert import; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run the README's test command, which installs it"; exit 1; }
done
export PITBOX_WM=openbox XVFB_SCREEN=1600x900x24
. "$here/xvfb_lib.sh"
start_xvfb
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"; kill "$XVFB_PID" 2>/dev/null; }
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    import -window root "$screenshot" 2>/dev/null
    cat "$work/log" 2>/dev/null
    exit 1
}
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$work/runtime"
lib="$work/library" into="$work/Picked"
mkdir -p "$lib/Rally" "$into/More"
"$writer" "$lib/Alpine.trk" plain >/dev/null
"$writer" "$lib/Brook.trk" plain >/dev/null
"$writer" "$lib/Rally/Cedar.trk" plain >/dev/null
"$writer" "$into/More/Dune.trk" plain >/dev/null

# The file manager's window as it opens: its size, the side pane's width and
# an icon view sorted by name, so that its first icon has a known place.
mkdir -p "$work/config/pcmanfm/default"
printf '[ui]\nwin_width=500\nwin_height=500\nsplitter_pos=150\nview_mode=icon\nsort=name;ascending;\n' \
    >"$work/config/pcmanfm/default/pcmanfm.conf"

"$pitbox" "$lib" >"$work/log" 2>&1 &
pids+=($!)
main=$(wait_window "Kestrun Pitbox") || fail "no main window"
pcmanfm --new-win "$into" >/dev/null 2>&1 &
pids+=($!)
fm=$(wait_window "Picked") || fail "no file manager window"
xdotool windowmove "$fm" 1050 100
sleep 1
origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
read -r mx my < <(origin "$main")
read -r fx fy < <(origin "$fm")
# Presses at one place, moves there by small steps, lets go at another.
drag() { # from-x from-y to-x to-y
    xdotool mousemove "$1" "$2" mousedown 1
    for i in $(seq 1 20); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 20)) $(($2 + ($4 - $2) * i / 20))
        sleep 0.05
    done
    sleep 0.5
    xdotool mousemove $(($3 + 3)) $(($4 + 3))
    sleep 0.5
    xdotool mouseup 1
}
appears() { for _ in $(seq 50); do [ -e "$1" ] && return 0; sleep 0.1; done; return 1; }

# Rows 0 and 1 (Alpine, Brook) selected, then dragged into the folder.
sleep 1
xdotool mousemove $((mx + 60)) $((my + 67)) click 1
xdotool mousemove $((mx + 60)) $((my + 85)) keydown ctrl click 1 keyup ctrl
sleep 0.5
drag $((mx + 60)) $((my + 67)) $((fx + 300)) $((fy + 300))
appears "$into/Brook.trk" || fail "the file manager got no file from the drag"
sleep 1
[ "$(ls "$into" | tr '\n' ' ')" = "Alpine.trk Brook.trk More " ] || fail "the folder holds $(ls "$into" | tr '\n' ' ')"
cmp -s "$lib/Alpine.trk" "$into/Alpine.trk" && cmp -s "$lib/Brook.trk" "$into/Brook.trk" || fail "the copies differ"
[ -f "$lib/Alpine.trk" ] && [ -f "$lib/Brook.trk" ] || fail "the drag moved the library's files"

# The file manager's icons: the folder first, then the tracks, right of its
# side pane. A track dropped on the main window is shown in the viewer.
icon() { echo $((fx + 207 + 93 * $1)) $((fy + 98)); }
xdotool windowactivate --sync "$fm" 2>/dev/null
drag $(icon 1) $((mx + 500)) $((my + 300))
viewer=$(wait_window "Alpine.trk") || fail "a track dropped on the main window is not shown"
import -window root "$screenshot"
xdotool mousemove --window "$viewer" 200 200 click 1  # closed, uncovering the file manager
sleep 0.5
# A folder dropped on the main window is loaded: status line 1 says so.
xdotool windowactivate --sync "$fm" 2>/dev/null
drag $(icon 0) $((mx + 500)) $((my + 300))
for _ in 1 2 3 4 5; do
    sleep 1
    import -window "$main" "$work/main.png"
    convert "$work/main.png" -crop 850x24+130+620 +repage -scale 300% "$work/line.png"
    line=$(tesseract "$work/line.png" - 2>/dev/null | tr -s ' \n' ' ')
    [[ "$line" == *"1 Tracks found"* ]] && break
done
[[ "$line" == *"1 Tracks found"* ]] || fail "the folder dropped on the main window was not loaded: $line"
echo "drag and drop: rows copied into PCManFM's folder; its track shown, its folder loaded"
