# Shared by the X tests: starts Xvfb on a free display and stops it on exit.
start_xvfb() {
    for tool in Xvfb xdotool xwininfo python3; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run the README's test command, which installs it"; exit 1; }
    done
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        # -noreset: without it the server resets when the probe below disconnects,
        # and a client connecting during the reset is refused.
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && { trap 'kill $XVFB_PID 2>/dev/null' EXIT; return 0; }
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
