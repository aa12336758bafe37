# Shared by the X tests: starts Xvfb on a free display and stops it on exit;
# with PITBOX_WM=openbox a window manager runs on it too, as on a desktop.
start_xvfb() {
    for tool in Xvfb xdotool xwininfo python3; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run the README's test command, which installs it"; exit 1; }
    done
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        # -noreset: without it the server resets when the probe below disconnects,
        # and a client connecting during the reset is refused.
        Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && { trap 'kill $XVFB_PID 2>/dev/null' EXIT; start_wm; return 0; }
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
    done
    echo "could not start Xvfb"
    exit 1
}

# Prints the id of the first visible window with this exact title, waiting up to 10 s.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

start_wm() {
    [ "${PITBOX_WM:-}" = openbox ] || return 0
    command -v openbox >/dev/null || { echo "missing openbox: run the README's test command, which installs it"; exit 1; }
    openbox --sm-disable >/dev/null 2>&1 &
    # Ready once it has claimed the screen.
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    echo "openbox did not start"
    exit 1
}

# Whether a window manager keeps the windows (the tests' checks of stacking
# and belonging need one).
with_wm() { [ "${PITBOX_WM:-}" = openbox ]; }

# Whether window $1 is stacked above window $2, as the window manager says.
stacked_above() {
    local list i=0 upper=-1 lower=-1
    list=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
    for id in $list; do
        [ $((id)) -eq $(($1)) ] && upper=$i
        [ $((id)) -eq $(($2)) ] && lower=$i
        i=$((i + 1))
    done
    [ "$upper" -gt "$lower" ] && [ "$lower" -ge 0 ]
}

# The window that window $1 says it belongs to (WM_TRANSIENT_FOR), as a number.
transient_for() {
    local id
    id=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p')
    [ -n "$id" ] && echo $((id))
}

# Closes window $1 as a user does: under the window manager a click on its
# frame's close box (openbox's, the last button of the title bar, at its right
# end); on a bare server the window manager's message, as the close box sends it.
close_box() {
    if ! with_wm; then
        python3 "$(dirname "${BASH_SOURCE[0]}")/xclose.py" "$1"
        return
    fi
    local ax ay rx ry w
    read -r ax ay rx ry w < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {ax=$4} /Absolute upper-left Y/ {ay=$4}
        /Relative upper-left X/ {rx=$4} /Relative upper-left Y/ {ry=$4} /Width:/ {w=$2} END {print ax, ay, rx, ry, w}')
    xdotool mousemove $((ax - rx + w + 2 * rx - 12)) $((ay - ry + ry / 2)) click 1
}
