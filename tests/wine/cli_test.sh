#!/usr/bin/env bash
# pitbox-cli.exe under Wine against the Linux pitbox-cli on the demo tracks: the
# same header JSON, the same picture, the same list (separators aside), the same
# copied names, and the same exit codes for failures.
#   cli_test.sh WINE_RUN PREFIX PITBOX_CLI_EXE LINUX_PITBOX_CLI SOURCE_DIR
set -u
run=$1 prefix=$2 exe=$3 linux=$4 source=$5
fail() { echo "FAIL: $*"; exit 1; }
win() { "$run" "$prefix" "$exe" "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tracks="$source/examples/tracks"

n=0
while IFS= read -r -d '' track; do
    n=$((n + 1))
    [ "$(win header "$track")" = "$("$linux" header "$track")" ] || fail "header of $track"
    case "$track" in *Old*) continue ;; esac
    win render --no-records -o "$work/w.png" "$track" || fail "render of $track"
    "$linux" render --no-records -o "$work/l.png" "$track"
    cmp -s "$work/w.png" "$work/l.png" || fail "picture of $track"
    win render -o "$work/records.png" "$track" || fail "render with records of $track"
    cmp -s "$work/records.png" "$work/w.png" && fail "no records text drawn for $track"
done < <(find "$tracks" -iname '*.trk' -print0)
[ "$n" -eq 12 ] || fail "found $n demo tracks, expected 12"

# The list: the Windows paths, Z:\ and backslashes, read as the Linux ones.
win list --scan --sort author "$tracks" | sed 's|Z:\\|/|; s|\\|/|g' >"$work/w.txt"
"$linux" list --scan --sort author "$tracks" >"$work/l.txt"
cmp -s "$work/w.txt" "$work/l.txt" || { diff "$work/w.txt" "$work/l.txt" | head; fail "list"; }

# Copies with clashing names: the same names come out.
mkdir "$work/wout" "$work/lout"
set -- "$tracks/Classics/Green Valley.trk" "$tracks/Community/Oval/Speedbowl.trk" "$tracks/Classics/Green Valley.trk" \
    "$tracks/Classics/Dune Rush.TRK" "$tracks/Classics/Dune Rush.TRK"
win copy --to "$work/wout" "$@" >/dev/null || fail "copy"
"$linux" copy --to "$work/lout" "$@" >/dev/null
[ "$(ls "$work/wout")" = "$(ls "$work/lout")" ] || fail "copied names: $(ls "$work/wout" | tr '\n' ' ')"

# The catalogue: the same pictures, and the same page but for the separators
# in its paths; the old one replaced, a folder of tracks refused.
win catalogue -o "$work/wcat" "$tracks" >/dev/null && win catalogue -o "$work/wcat" "$tracks" >/dev/null ||
    fail "catalogue"
"$linux" catalogue -o "$work/lcat" "$tracks" >/dev/null
diff -r "$work/wcat/tracks" "$work/lcat/tracks" >/dev/null || fail "catalogue pictures"
cmp -s <(sed 's|\\|/|g' "$work/wcat/index.html") <(sed 's|\\|/|g' "$work/lcat/index.html") || fail "catalogue page"
win catalogue -o "$work/wout" "$tracks" >/dev/null 2>&1; [ $? -eq 1 ] && [ -f "$work/wout/Speedbowl.trk" ] ||
    fail "catalogue over a folder of tracks"

# Eight runs remembering eight folders at once take turns at the store.
for i in $(seq 8); do mkdir -p "$work/lib$i" && cp "$tracks/Classics/Green Valley.trk" "$work/lib$i/"; done
pids=()
for i in $(seq 8); do win list --scan --cache "$work/lib$i" >/dev/null & pids+=($!); done
for p in "${pids[@]}"; do wait "$p" || fail "a run that remembers failed"; done
# The user's own store (%LOCALAPPDATA%), not one a unit test left in its
# temporary folder.
store=$(find "$prefix/drive_c/users" -path '*/AppData/Local/Kestrun Pitbox/library.dat')
[ -n "$store" ] && [ "$(printf '%s\n' "$store" | wc -l)" -eq 1 ] || fail "not one store: $store"
for i in $(seq 8); do grep -aqF "lib$i\\" "$store" || fail "lib$i is not remembered"; done

# Failures: exit code 1 and a reason, as on Linux.
win header "$work/missing.trk" >/dev/null 2>"$work/err"; [ $? -eq 1 ] && [ -s "$work/err" ] || fail "missing file"
win copy --to "$work/nowhere" "$tracks/Classics/Green Valley.trk" >/dev/null 2>&1; [ $? -eq 1 ] || fail "copy to a missing folder"
win list "$work/nowhere" >/dev/null 2>&1; [ $? -eq 1 ] || fail "list of a missing folder"
win bogus >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage"

# The command line as a new user tries it: help of each command, unknown
# options refused before anything is done, "--" ending the options.
for command in list render trash; do
    [ "$(win "$command" --help | tr -d '\r' | head -n 2)" = "$("$linux" "$command" --help | head -n 2)" ] ||
        fail "$command --help"
done
mkdir "$work/new" && cp "$tracks/Classics/Green Valley.trk" "$work/-x.trk"
(cd "$work" && win copy --to new --bogus -x.trk >/dev/null 2>&1); [ $? -eq 2 ] && [ -z "$(ls "$work/new")" ] ||
    fail "copy --bogus"
(cd "$work" && win copy --to new -- -x.trk >/dev/null) && [ -f "$work/new/-x.trk" ] || fail "copy -- -x.trk"
echo "pitbox-cli.exe under Wine matches pitbox-cli on $n demo tracks"
