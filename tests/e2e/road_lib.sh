# Shared by the users' roads (Linux, and Windows under Wine): an X server, a work
# folder with the road's tracks, screenshots, the main window read back with
# tesseract, clicks and typed answers, waits. The road sets $main (the main
# window) once the program runs, and $pid to have it stopped at the end.
#   . road_lib.sh SCREENSHOT_FOLDER TRACK_WRITER
here_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_lib/xvfb_lib.sh"
shots=$1 writer=$2
for tool in tesseract convert import; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run the README's test command, which installs it"; exit 1; }
done
start_xvfb
rm -rf "$shots"
mkdir -p "$shots"
work=$(mktemp -d)
# The program remembers its library in the user's state folder: the road's own.
export XDG_STATE_HOME="$work/state"
# And its trash: the road's own too (Wine's runs keep theirs in the prefix).
export XDG_DATA_HOME="$work/data"
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; kill "$XVFB_PID" 2>/dev/null; }
trap cleanup EXIT
fail() {
    echo "FAIL at step $step: $*"
    import -window root "$shots/failed-$step.png" 2>/dev/null
    [ -f "$work/log" ] && cat "$work/log"
    exit 1
}

# The tracks: nested folders, an old-format file, a damaged one, a 1.10 track.
t="$work/tracks"
mkdir -p "$t/sub/deep"
"$writer" "$t/Alpine.trk" plain 200 9000 Mara
"$writer" "$t/Brook.trk" plain 120 3000 Zed
"$writer" "$t/sub/Cedar.TRK" v110 240 12000 Ivy
"$writer" "$t/sub/deep/Dune.trk" plain 90 40000 Kim
"$writer" "$t/Old.trk" old
"$writer" "$t/sub/Cut.trk" damaged
echo "not a track" >"$t/notes.txt"

step=0
shot() { step=$((step + 1)); import -window root "$shots/$(printf %02d "$step")-$1.png"; }
# Reads a region of the main window (client coordinates) off the screen;
# with a fifth argument, as one block of lines (tesseract's --psm 6), which
# its own guess at the layout misses beside a block of selected rows.
read_screen() { # x y width height [block]
    import -window "$main" "$work/window.png" &&
        convert "$work/window.png" -crop "$3x$4+$1+$2" +repage -scale 300% "$work/ocr.png" &&
        tesseract "$work/ocr.png" - ${5:+--psm 6} 2>/dev/null | tr -s ' \n' ' '
}
# Reads a region until it shows every expected word, for up to four tries a
# second apart: a window may still be repainting after a requester closed.
expect_screen() { # what, x, y, width, height, expected words...
    local what=$1 region=("$2" "$3" "$4" "$5") got="" missing
    shift 5
    for _ in 1 2 3 4; do
        got=$(read_screen "${region[@]}")
        missing=""
        for word in "$@"; do case "$got" in *"$word"*) ;; *) missing=$word ;; esac; done
        [ -z "$missing" ] && return 0
        sleep 1
    done
    fail "$what shows '$got', expected '$missing'"
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "${click_pause:-0.4}"; }
# Types into the requester of this title and confirms with Return; file dialogs
# complete what is typed before they take Return, hence the pauses.
type_answer() { # window title, text
    local dialog
    dialog=$(wait_window "$1") || fail "no requester titled '$1'"
    sleep "${answer_pause:-0}"
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    xdotool type --delay 5 "$2"
    sleep "${answer_pause:-0}"
    xdotool key Return
    sleep 0.8
}
# Waits up to five seconds for the window of this exact title to go.
gone() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
# Waits up to five seconds for a file or folder to appear.
appears() {
    for _ in $(seq 50); do
        [ -e "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
# On a desktop the viewer belongs to the main window, opens beside it, and
# stays above it when a row of the main window is clicked; Show brings it to
# the front. Nothing to see on a bare X server.
check_viewer_on_desktop() { # viewer, a row's place in the main window
    with_wm || return 0
    [ "$(transient_for "$1")" = "$((main))" ] || fail "the viewer does not belong to the main window"
    [ "$(left_of "$1")" -ge "$(right_of "$main")" ] || fail "the viewer is not beside the main window"
    click "$main" "$2" "$3"
    stacked_above "$1" "$main" || fail "a click on the main window hid the viewer"
    click "$main" 60 640
    shot viewer-raised
}
# A window's left and right edges on the screen.
left_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}'; }
right_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Width:/ {w=$2} END {print x + w}'; }
size_of() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
