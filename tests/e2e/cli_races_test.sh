#!/usr/bin/env bash
# pitbox-cli interrupted, killed, and run beside itself: a catalogue stopped by
# a signal leaves nothing behind, one killed outright leaves its work for the
# next catalogue beside it to remove (never a live run's), and eight runs that
# remember their folders at once all remember them.
#   cli_races_test.sh PITBOX_CLI WRITE_TRACK
set -u
cli=$1
writer=$2
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/many" "$work/one" "$work/pub"
"$writer" "$work/many/t0.trk" >/dev/null || fail "writer"
for i in $(seq 1 999); do cp "$work/many/t0.trk" "$work/many/t$i.trk"; done
cp "$work/many/t0.trk" "$work/one/"
work_folders() { find "$work/pub" -maxdepth 1 -name '.pitbox-catalogue-*' ! -name '*.lock' ! -name '*-old' | sort; }
# Starts a catalogue of the thousand tracks into pub/NAME and waits until its work folder is there.
start_catalogue() {
    local before
    before=$(work_folders | wc -l)
    "$cli" catalogue -o "$work/pub/$1" "$work/many" >/dev/null 2>"$work/err-$1" &
    pid=$!
    for _ in $(seq 1000); do [ "$(work_folders | wc -l)" -gt "$before" ] && return 0; sleep 0.01; done
    fail "no work folder for $1"
}

set -m  # background runs take SIGINT as a terminal would give it
for signal in INT TERM HUP; do
    start_catalogue "by-$signal"
    kill -"$signal" "$pid"
    wait "$pid" 2>/dev/null
    code=$?
    [ "$code" -gt 128 ] || fail "SIG$signal: exit code $code"
    [ -z "$(ls -A "$work/pub")" ] || fail "SIG$signal left $(ls -A "$work/pub")"
done
set +m

# A live run, held still, and a run killed outright beside it.
start_catalogue live
live_pid=$pid
kill -STOP "$live_pid"
live=$(work_folders)
start_catalogue killed
kill -KILL "$pid"
wait "$pid" 2>/dev/null
dead=$(work_folders | grep -vxF "$live")
[ -n "$dead" ] && [ -d "$live" ] || fail "the killed run left no work folder, or removed the live one's"
"$cli" catalogue -o "$work/pub/beside" "$work/one" >/dev/null || fail "a catalogue beside the others"
[ ! -e "$dead" ] && [ ! -e "$dead.lock" ] || fail "the killed run's work stayed"
[ -d "$live" ] || fail "the live run's work was removed"
kill -CONT "$live_pid"
wait "$live_pid" || fail "the live run failed: $(cat "$work/err-live")"
[ -s "$work/pub/live/index.html" ] && [ "$(ls "$work/pub/live/tracks" | wc -l)" -eq 1000 ] || fail "the live run's catalogue"
[ "$(ls -A "$work/pub" | sort | tr '\n' ' ')" = "beside live " ] || fail "left beside: $(ls -A "$work/pub")"

# Eight runs remembering eight folders at once take turns at the store.
export XDG_STATE_HOME="$work/state"
for i in $(seq 8); do mkdir -p "$work/lib$i" && "$writer" "$work/lib$i/t.trk" >/dev/null; done
pids=()
for i in $(seq 8); do "$cli" list --scan --cache "$work/lib$i" >/dev/null & pids+=($!); done
for p in "${pids[@]}"; do wait "$p" || fail "a run that remembers failed"; done
for i in $(seq 8); do
    grep -qF "$work/lib$i/" "$work/state/kestrun-pitbox/library.dat" || fail "lib$i is not remembered"
done
echo "pitbox-cli interrupted, killed and beside itself: 1 passed, 0 failed"
