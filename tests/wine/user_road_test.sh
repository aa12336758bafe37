#!/usr/bin/env bash
# A user's road through pitbox.exe under Wine in a real X window, with real
# input: Load (typing the folder into the requester), Scan, a sort, the filter
# box, a click on a
# row, Show and a click on the picture, Copy into a new folder, Save List, a
# track added while open and moved to the Recycle Bin, and closing the main
# window. It checks what the user sees (status lines read off
# the screen, window titles and sizes), compares the files written byte for byte
# with pitbox-cli.exe's, and keeps a screenshot of every step.
#   user_road_test.sh WINE_RUN PREFIX PITBOX_EXE PITBOX_CLI_EXE WRITE_TRACK SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
run=$1 prefix=$2 exe=$3 cli=$4
# Wine takes its time: slower clicks, and pauses around typed answers.
click_pause=0.6 answer_pause=1
. "$here/../e2e/road_lib.sh" "$6" "$5"
windows() { echo "Z:$1" | tr / '\\'; }  # a Unix path as the Windows program sees it

cd "$work" || exit 1
# Wine keeps the screen it met first while its server runs: a fresh server meets this one.
"$here/prefix.sh" "$prefix" stop >/dev/null
"$run" "$prefix" "$exe" --forget >"$work/log" 2>&1 &   # a first start, whatever ran before in the prefix
pid=$!
main=$(wait_window "Kestrun Pitbox") || fail "no main window"
[ "$(size_of "$main")" = "1000x720" ] || fail "main window client size $(size_of "$main")"
shot start

# Clicks while the window settles are dropped: Load is clicked until its
# requester shows.
for _ in 1 2 3 4 5; do
    click "$main" 60 693
    xdotool search --onlyvisible --name "^Open Track Directory\$" >/dev/null 2>&1 && break
    sleep 1
done
type_answer "Open Track Directory" "$(windows "$t")"
shot load
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"

click "$main" 162 693                     # Scan
shot scan
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"
click "$main" 767 693                     # Author
shot sort-author

# The filter box: typing keeps the matching tracks, Escape shows them all again.
click "$main" 300 22
xdotool type --delay 60 "SUB ivy"
shot filter
expect_screen "status line 1" 130 620 850 24 "1 of 6 Tracks shown"
xdotool key Escape
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"

click "$main" 80 64                       # row 0 (Cut: no author sorts first)
click "$main" 80 77                       # row 1
xdotool keydown ctrl; click "$main" 80 90; xdotool keyup ctrl   # and row 2
shot row-click
expect_screen "status line 1" 130 620 850 24 "Cedar"
expect_screen "selection counter" 415 682 60 24 "2/6"

click "$main" 60 640                      # Show
viewer=$(wait_window "Cedar.TRK") || fail "no viewer titled Cedar.TRK"
[ "$(size_of "$viewer")" = "532x580" ] || fail "viewer client size $(size_of "$viewer")"
shot viewer
check_viewer_on_desktop "$viewer" 80 77
xdotool key Down                          # the viewer's keys move the current track
wait_window "Dune.trk" >/dev/null || fail "the viewer did not follow Down to Dune.trk"
shot viewer-down
click "$viewer" 200 200                   # a click on the picture closes it
gone "Dune.trk" || fail "viewer still open"
click "$main" 80 77                       # rows 1 and 2 again: the key left Dune alone selected
xdotool keydown ctrl; click "$main" 80 90; xdotool keyup ctrl

click "$main" 349 693                     # Copy
copy=$(wait_window "Copy Tracks") || fail "no Copy Tracks window"
[ "$(size_of "$copy")" = "600x300" ] || fail "Copy Tracks client size $(size_of "$copy")"
shot copy-window
if with_wm; then
    # Copy Tracks belongs to the main window, which stays live beside it: a
    # sort and back, the selection kept.
    [ "$(transient_for "$copy")" = "$((main))" ] || fail "Copy Tracks does not belong to the main window"
    click "$main" 638 693
    stacked_above "$copy" "$main" || fail "a click on the main window hid Copy Tracks"
    shot copy-beside-live-main
    click "$main" 767 693
fi
click "$copy" 290 118                     # New
type_answer "Make New Folder in" "Picked"
appears "$work/Picked" || fail "no new folder"
click "$copy" 300 184                     # Copy
shot copied
cmp -s "$t/sub/Cedar.TRK" "$work/Picked/Cedar.TRK" || fail "Cedar.TRK not copied"
cmp -s "$t/sub/deep/Dune.trk" "$work/Picked/Dune.trk" || fail "Dune.trk not copied"
[ "$(ls "$work/Picked" | wc -l)" -eq 2 ] || fail "not just the two selected tracks copied"
click "$copy" 300 258                     # Close
gone "Copy Tracks" || fail "Copy Tracks still open"

click "$main" 254 693                     # Save List
type_answer "Save List" "$(windows "$work/list.txt")"
appears "$work/list.txt" || fail "no list saved"
shot saved
"$run" "$prefix" "$cli" list --scan --sort author "$(windows "$t")" >"$work/expected.txt" || fail "pitbox-cli.exe list"
cmp -s "$work/list.txt" "$work/expected.txt" || fail "the saved list differs from pitbox-cli.exe's"

# A track added while the program is open shows without a click (Wine hears
# no change in a subfolder that was there when the watch began).
"$writer" "$t/Echo.trk" plain 100 5000 Eve
expect_screen "status line 1" 130 620 850 24 "7 Tracks found"
shot track-added

# The new track to the Recycle Bin (Wine's is the host's trash, kept in the
# prefix): found by the filter, Delete in the table, then the question's OK.
# The roads share the prefix, so an Echo.trk an earlier road left in the trash
# goes first, lest it be taken for this one's.
rm -f "$prefix/xdg-data/Trash/files/Echo.trk" "$prefix/xdg-data/Trash/info/Echo.trk.trashinfo"
click "$main" 300 22
xdotool type --delay 20 "Echo"
expect_screen "status line 1" 130 620 850 24 "1 of 7 Tracks shown"
click "$main" 80 67
xdotool key Delete
question=$(wait_window "Move to Trash") || fail "no question before moving to the Recycle Bin"
shot trash-question
xdotool windowfocus --sync "$question" 2>/dev/null
xdotool key Return
appears "$prefix/xdg-data/Trash/files/Echo.trk" || fail "Echo.trk is not in the Recycle Bin"
[ ! -e "$t/Echo.trk" ] || fail "Echo.trk is still in the library"
expect_screen "status line 1" 130 620 850 24 "1 Tracks moved to the Recycle Bin"
shot trashed

# Save Catalogue of all the tracks again, into an empty folder.
click "$main" 300 22
xdotool key ctrl+a BackSpace
expect_screen "status line 1" 130 620 850 24 "6 Tracks found"
mkdir "$work/Catalogue"
click "$main" 610 22
type_answer "Save Catalogue: an empty folder, or an earlier catalogue" "$(windows "$work/Catalogue")"
appears "$work/Catalogue/index.html" || fail "no catalogue saved"
expect_screen "status line 1" 130 620 850 24 "4 with a picture"
[ "$(ls "$work/Catalogue/tracks" | wc -l)" -eq 4 ] || fail "the catalogue's pictures: $(ls "$work/Catalogue/tracks")"
shot catalogue-saved

close_box "$main"
for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "still running after the close request"
wait "$pid"
code=$?
pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
echo "user road under Wine: 1 passed, 0 failed ($step screenshots in $shots)"
