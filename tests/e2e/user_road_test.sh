#!/usr/bin/env bash
# A user's road through the real program in a real X window, with real input
# events: Load through the folder requester, Scan, the four sorts, header
# sorts, the filter box, a row click,
# Show and a click on the picture, a second start handing its track over, Copy with New, Save List through the save
# requester, a track added while open, Delete to the trash, Save Catalogue,
# and closing the main window. After each step it checks what the
# user would see (status lines and table read off the screen, window titles and
# sizes) and the files written, and keeps a screenshot of the step.
#   user_road_test.sh PITBOX PITBOX_CLI WRITE_TRACK SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
pitbox=$1 cli=$2
. "$here/road_lib.sh" "$4" "$3"
names() { read_screen 12 59 150 110 block; }
expect_order() { # names in table order
    local got
    got=$(names)
    local previous=-1
    for name in "$@"; do
        local rest=${got#*"$name"}
        [ "$rest" != "$got" ] || fail "table shows '$got', expected $name"
        local at=$(( ${#got} - ${#rest} ))
        [ "$at" -gt "$previous" ] || fail "table shows '$got', expected the order $*"
        previous=$at
    done
}

cd "$work" || exit 1
"$pitbox" >"$work/log" 2>&1 &
pid=$!
main=$(wait_window "Kestrun Pitbox") || fail "no main window"
shot start

# Clicks while the window settles at start are dropped, as they should be: the
# first click on Load is repeated until its requester shows.
for _ in 1 2 3 4 5; do
    click "$main" 60 693                  # Load
    xdotool search --onlyvisible --name "^Open Track Directory\$" >/dev/null 2>&1 && break
    sleep 1
done
type_answer "Open Track Directory" "$t"
shot load
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"

click "$main" 162 693                     # Scan
sleep 0.5
shot scan
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"
expect_order Alpine Brook Cedar Cut Dune Old
expect_screen "the 1.10 mark" 12 59 150 110 "1.10"

click "$main" 767 693; shot sort-author;  expect_order Cut Cedar Dune Alpine Brook Old
click "$main" 866 693; shot sort-ws;      expect_order Cut Old Dune Brook Alpine Cedar
click "$main" 953 693; shot sort-km;      expect_order Cut Old Brook Alpine Cedar Dune
click "$main" 638 693; shot sort-track;   expect_order Alpine Brook Cedar Cut Dune Old

# A header click sorts by that column: Length ascending, then descending.
click "$main" 240 50;  shot header-length;      expect_order Cut Old Brook Alpine Cedar Dune
click "$main" 240 50;  shot header-length-down; expect_order Dune Cedar Alpine Brook Cut Old
click "$main" 638 693                     # Sort Track again

# The filter box: typing keeps the matching tracks, Escape shows them all again.
click "$main" 300 22
xdotool type --delay 20 "SUB ivy"
shot filter
expect_screen "status line 1" 130 620 850 24 "1 of 6 Tracks shown"
expect_order Cedar
xdotool key Escape
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"

click "$main" 80 67                       # row 0
xdotool keydown ctrl; click "$main" 80 85; xdotool keyup ctrl   # and row 1
shot row-click
expect_screen "status line 1" 130 620 850 24 "Alpine"
expect_screen "status line 2" 130 645 850 24 "tracks" "Alpine"
expect_screen "selection counter" 415 682 60 24 "2/6"

click "$main" 60 640                      # Show
viewer=$(wait_window "Alpine.trk") || fail "no viewer titled Alpine.trk"
[ "$(size_of "$viewer")" = "532x580" ] || fail "viewer client size $(size_of "$viewer")"
shot viewer
check_viewer_on_desktop "$viewer" 80 67
xdotool key Down                          # the viewer's keys move the current track
wait_window "Brook.trk" >/dev/null || fail "the viewer did not follow Down to Brook.trk"
shot viewer-down
click "$viewer" 200 200                   # a click on the picture closes it
xdotool search --onlyvisible --name "^Brook.trk$" >/dev/null && fail "viewer still open"
# A second start, as a file manager's double click, hands its track to the
# running program and ends at once; the running program's viewer shows it.
timeout 10 "$pitbox" "$t/sub/deep/Dune.trk" >>"$work/log" 2>&1 || fail "the second start did not hand over and end"
kill -0 "$pid" 2>/dev/null || fail "the first program ended"
viewer=$(wait_window "Dune.trk") || fail "the running program did not show Dune.trk"
shot handed-over
click "$viewer" 200 200
click "$main" 80 67                       # rows 0 and 1 again: the key left Brook alone selected
xdotool keydown ctrl; click "$main" 80 85; xdotool keyup ctrl

click "$main" 349 693                     # Copy
copy=$(wait_window "Copy Tracks") || fail "no Copy Tracks window"
[ "$(size_of "$copy")" = "600x300" ] || fail "Copy Tracks client size $(size_of "$copy")"
shot copy-window
if with_wm; then
    # Copy Tracks belongs to the main window, which stays live beside it.
    [ "$(transient_for "$copy")" = "$((main))" ] || fail "Copy Tracks does not belong to the main window"
    # The selected rows read poorly in an inactive window: the others tell the order.
    click "$main" 767 693; expect_order Cut Cedar Dune
    stacked_above "$copy" "$main" || fail "a click on the main window hid Copy Tracks"
    click "$main" 638 693; expect_order Cedar Cut Dune
    shot copy-beside-live-main
fi
click "$copy" 290 118                     # New
type_answer "Make New Folder in" "Picked"
[ -d "$work/Picked" ] || fail "no new folder"
click "$copy" 300 184                     # Copy
shot copied
cmp -s "$t/Alpine.trk" "$work/Picked/Alpine.trk" || fail "Alpine.trk not copied"
cmp -s "$t/Brook.trk" "$work/Picked/Brook.trk" || fail "Brook.trk not copied"
[ "$(ls "$work/Picked" | wc -l)" -eq 2 ] || fail "more than the two selected tracks copied"
click "$copy" 300 258                     # Close
xdotool search --onlyvisible --name "^Copy Tracks$" >/dev/null && fail "Copy Tracks still open"

click "$main" 254 693                     # Save List
type_answer "Save List" "$work/list.txt"
shot saved
"$cli" list --scan --sort name "$t" >"$work/expected.txt" || fail "pitbox-cli list"
cmp -s "$work/list.txt" "$work/expected.txt" || fail "the saved list differs from pitbox-cli's"

# A track added while the program is open shows without a click.
"$writer" "$t/sub/Echo.trk" plain 100 5000 Eve
expect_screen "status line 1" 130 620 850 24 "7 Tracks found"
shot track-added

# The new track to the trash: Delete in the table, then the question's default.
click "$main" 80 157                      # row 5: Echo
xdotool key Delete
question=$(wait_window "Move to Trash") || fail "no question before moving to the trash"
shot trash-question
xdotool windowfocus --sync "$question" 2>/dev/null
xdotool key Return
appears "$XDG_DATA_HOME/Trash/files/Echo.trk" || fail "Echo.trk is not in the trash"
[ -s "$XDG_DATA_HOME/Trash/info/Echo.trk.trashinfo" ] || fail "Echo.trk has no .trashinfo"
[ ! -e "$t/sub/Echo.trk" ] || fail "Echo.trk is still in the library"
expect_screen "status line 1" 130 620 850 24 "1 Tracks moved to the trash"
expect_order Alpine Brook Cedar Cut Dune Old
shot trashed

# Save Catalogue into an empty folder: a page, and a picture of each track
# but the damaged and the old one.
mkdir "$work/Catalogue"
click "$main" 610 22
type_answer "Save Catalogue: an empty folder, or an earlier catalogue" "$work/Catalogue"
appears "$work/Catalogue/index.html" || fail "no catalogue saved"
expect_screen "status line 1" 130 620 850 24 "4 with a picture"
[ "$(ls "$work/Catalogue/tracks" | wc -l)" -eq 4 ] || fail "the catalogue's pictures: $(ls "$work/Catalogue/tracks")"
shot catalogue-saved

close_box "$main"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "still running after the close request"
wait "$pid"
code=$?
pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
echo "user road: 1 passed, 0 failed ($step screenshots in $shots)"
