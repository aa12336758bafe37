#!/usr/bin/env bash
# The real pitbox-cli binary: exit codes, messages, and a render with the records
# text drawn by the platform's fonts; the command line as a new user tries it,
# with the completion made from its parser.
#   cli_test.sh PITBOX_CLI WRITE_TRACK MAKE_DEMO_TRACKS COMPLETION
set -u
cli=$1
writer=$2
demo=$3
completion=$4
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/t/sub"
"$writer" "$work/t/Hill.trk" || fail "writer"
"$writer" "$work/t/sub/New.TRK" v110
"$writer" "$work/t/Old.trk" old
"$writer" "$work/t/Cut.trk" damaged

"$cli" --help | grep -q "render" || fail "--help"
# Help of each command, either way, and nothing done for it.
for command in list catalogue header render copy duplicates trash; do
    "$cli" "$command" --help | grep -q "^usage: pitbox-cli $command" || fail "$command --help"
    "$cli" help "$command" | grep -q "^usage: pitbox-cli $command" || fail "help $command"
done
(cd "$work" && "$cli" trash --help >/dev/null) || fail "trash --help"
# Unknown options are refused before anything is done; "--" ends the options.
mkdir "$work/new"
(cd "$work/t" && cp Hill.trk ./-x.trk && "$cli" copy --to "$work/new" --bogus Hill.trk 2>"$work/err")
[ $? -eq 2 ] && [ -z "$(ls "$work/new")" ] || fail "copy --bogus: exit code, or something copied"
[ "$(wc -l <"$work/err")" -eq 2 ] && grep -q "^usage: pitbox-cli copy" "$work/err" || fail "copy --bogus: message"
(cd "$work/t" && "$cli" copy --to "$work/new" -- -x.trk >/dev/null) && [ -f "$work/new/-x.trk" ] ||
    fail "copy -- -x.trk"
(cd "$work/t" && "$cli" header -- -x.trk >/dev/null) || fail "header -- -x.trk"
rm -r "$work/new" "$work/t/-x.trk"
(cd "$work" && "$demo" --help >/dev/null) && [ ! -e "$work/--help" ] || fail "make_demo_tracks --help"
"$demo" /proc/nope 2>"$work/err"; [ $? -eq 1 ] && grep -q "^make_demo_tracks: cannot write" "$work/err" ||
    fail "make_demo_tracks into a folder it cannot write"
"$writer" --bogus "$work/b.trk" 2>/dev/null; [ $? -eq 2 ] && [ ! -e "$work/b.trk" ] || fail "write_track --bogus"

# The completion offers the parser's commands, options and values.
complete() {
    COMP_WORDS=(pitbox-cli "$@")
    COMP_CWORD=$#
    _pitbox_cli
    printf '%s ' "${COMPREPLY[@]}"
}
# shellcheck source=/dev/null
source "$completion"
[ "$(complete li)" = "list " ] || fail "completion of a command: $(complete li)"
[ "$(complete list --so)" = "--sort " ] || fail "completion of an option"
[ "$(complete list --format "")" = "text csv paths " ] || fail "completion of a choice: $(complete list --format "")"
[ "$(complete copy --to "$work/t/s")" = "$work/t/sub " ] || fail "completion of a folder"
[ "$(complete help re)" = "render " ] || fail "completion of help's command"
"$cli" bogus 2>/dev/null; [ $? -eq 2 ] || fail "usage error exit code"
"$cli" header "$work/t/Cut.trk" >/dev/null 2>"$work/err"; [ $? -eq 1 ] || fail "damaged header exit code"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "one-line message"

"$cli" list --scan "$work/t" >"$work/list.txt" || fail "list"
head -n 1 "$work/list.txt" | grep -q "^4 Tracks" || fail "count line"
grep -q "New \* 1.10" "$work/list.txt" || fail "1.10 mark"
grep -q "zz_Old KS<1.05" "$work/list.txt" || fail "old-format label"
"$cli" list --scan --match "SUB new" "$work/t" >"$work/match.txt" || fail "list --match"
head -n 1 "$work/match.txt" | grep -q "^1 Tracks" || fail "--match keeps one track"
grep -q "New \* 1.10" "$work/match.txt" || fail "--match keeps the right track"
"$cli" list --scan --format paths -z --match "SUB new" "$work/t" | tr '\0' '\n' | grep -q "sub/New.TRK$" ||
    fail "--format paths -z"
"$cli" list --scan --format csv "$work/t" | head -c 11 | grep -q "Track,WS" || fail "--format csv"
"$cli" list --match "ZZ_OLD" "$work/t" | head -n 1 | grep -q "^0 Tracks" || fail "--match without --scan sees no author"
# Path words count below DIR only, however DIR is given.
"$cli" list --match "$(basename "$work")" "$work/t" | head -n 1 | grep -q "^0 Tracks" || fail "--match finds DIR's own path"
(cd "$work" && "$cli" list --match "sub" t) >"$work/relative.txt"
"$cli" list --match "sub" "$work/t" | cmp -s - "$work/relative.txt" || fail "--match differs for a relative DIR"
head -n 1 "$work/relative.txt" | grep -q "^1 Tracks" || fail "--match sub keeps one track"

# The remembered library: a file rewritten with its size and time put back is
# still read again; --rescan reads every file, --forget starts afresh; the CLI
# is stateless without --cache.
export XDG_STATE_HOME="$work/state"
mkdir -p "$work/c"
"$writer" "$work/c/a.trk" plain 200 9000 Mara >/dev/null
"$cli" list --scan --cache "$work/c" | grep -q Mara || fail "--cache reads a new file"
[ -s "$work/state/kestrun-pitbox/library.dat" ] || fail "--cache writes the store"
cp -p "$work/c/a.trk" "$work/keep.trk"
"$writer" "$work/c/a.trk" plain 200 9000 Zora >/dev/null
touch -r "$work/keep.trk" "$work/c/a.trk"
"$cli" list --scan --cache "$work/c" | grep -q Zora || fail "--cache sees a file rewritten keeping size and time"
(cd "$work" && "$cli" list --scan --cache --rescan c | grep -q Zora) || fail "--rescan reads every file"
"$writer" "$work/c/a.trk" plain 200 9000 Ulla >/dev/null
touch -r "$work/keep.trk" "$work/c/a.trk"
"$cli" list --scan --cache --forget "$work/c" | grep -q Ulla || fail "--forget starts afresh"
"$cli" list --scan "$work/c" | grep -q Ulla || fail "without --cache every file is read"
printf 'junk' >"$work/state/kestrun-pitbox/library.dat"
"$cli" list --scan --cache "$work/c" >/dev/null 2>"$work/err" || fail "a damaged store is made anew"
grep -q "not a library store; it is made anew" "$work/err" || fail "a damaged store is said"
expect_code_2() { "$cli" "$@" >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage: $*"; }
expect_code_2 list --cache "$work/c"
expect_code_2 list -z "$work/c"
expect_code_2 list --scan --rescan "$work/c"
unset XDG_STATE_HOME

# Duplicates: a copy is identical; a track saved again with other records is the same track.
mkdir -p "$work/d/sub"
"$writer" "$work/d/a.trk" plain 200 9000 Mara >/dev/null
"$writer" "$work/d/b.trk" plain 200 9000 Zed >/dev/null
"$writer" "$work/d/other.trk" plain 120 9000 Mara >/dev/null
cp "$work/d/a.trk" "$work/d/sub/c.trk"
[ "$("$cli" duplicates "$work/d")" = "$(printf '%s\n' "$work/d/a.trk" "$work/d/sub/c.trk")" ] || fail "identical files"
[ "$("$cli" duplicates --same-track "$work/d")" = "$(printf '%s\n' "$work/d/a.trk" "$work/d/b.trk" "$work/d/sub/c.trk")" ] ||
    fail "the same track"
[ -z "$("$cli" duplicates "$work/d/sub")" ] || fail "output without duplicates"
# The extras: all but the newest of each group, ties to the first path.
touch -d "2020-01-01" "$work/d/a.trk"
[ "$("$cli" duplicates --extra "$work/d")" = "$work/d/a.trk" ] || fail "--extra keeps the newest"
touch -d "2020-01-01" "$work/d/sub/c.trk" "$work/d/b.trk"
[ "$("$cli" duplicates --same-track --extra "$work/d")" = "$(printf '%s\n' "$work/d/b.trk" "$work/d/sub/c.trk")" ] ||
    fail "--extra with equal times keeps the first path"
mkfifo "$work/d/pipe.trk"
"$cli" duplicates --same-track "$work/d" >"$work/dup.txt" 2>"$work/err"; [ $? -eq 1 ] || fail "duplicates with an unreadable file: exit code"
grep -q "pipe.trk" "$work/err" && grep -q "sub/c.trk" "$work/dup.txt" || fail "duplicates names the unreadable file and prints the rest"

"$cli" render -o "$work/with.png" "$work/t/Hill.trk" || fail "render with records"
"$cli" render --no-records -o "$work/without.png" "$work/t/Hill.trk" || fail "render without records"
[ "$(head -c 8 "$work/with.png" | od -An -c | tr -d ' ')" = "211PNG\r\n032\n" ] || fail "PNG signature"
cmp -s "$work/with.png" "$work/without.png" && fail "records text missing"
"$cli" render -o "$work/old.png" "$work/t/Old.trk" 2>/dev/null; [ $? -eq 1 ] || fail "old-format render"

mkdir "$work/out"
[ "$("$cli" copy --to "$work/out" "$work/t/Hill.trk" "$work/t/Hill.trk")" = "2 Tracks copied to: $work/out/" ] || fail "copy"

# Failures are never reported as success; nothing blocks on a pipe.
expect_code() {  # CODE WHAT COMMAND...
    local code=$1 what=$2
    shift 2
    timeout 20 "$@" >/dev/null 2>"$work/err"
    local got=$?
    [ "$got" -eq "$code" ] || fail "$what: exit code $got, expected $code"
    [ "$code" -eq 0 ] || [ -s "$work/err" ] || fail "$what: no reason given"
}
mkfifo "$work/pipe.trk"
expect_code 1 "header of a pipe" "$cli" header "$work/pipe.trk"
expect_code 1 "render of a pipe" "$cli" render --no-records -o "$work/p.png" "$work/pipe.trk"
expect_code 1 "scan of a folder holding a pipe" "$cli" list --scan "$work"
grep -q "pipe.trk: not a regular file" "$work/err" || fail "scan names the pipe"
expect_code 1 "copy of a pipe" "$cli" copy --to "$work/out" "$work/pipe.trk"
expect_code 1 "copy into a missing folder" "$cli" copy --to "$work/missing" "$work/t/Hill.trk"
# Keeping folders: each file at its path below ROOT, however ROOT and the files
# are typed; a file elsewhere fails with its reason, the rest is copied.
mkdir -p "$work/kept"
(cd "$work" && "$cli" copy --to kept --keep-folders ./t t/sub/New.TRK "$work/t/Hill.trk" "$work/d/a.trk") \
    >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q "d/a.trk: not below" "$work/err" || fail "--keep-folders refuses a file outside ROOT"
cmp -s "$work/t/sub/New.TRK" "$work/kept/sub/New.TRK" && cmp -s "$work/t/Hill.trk" "$work/kept/Hill.trk" ||
    fail "--keep-folders keeps the folders"
expect_code 1 "keeping folders in a missing target" "$cli" copy --to "$work/missing" --keep-folders "$work/t" \
    "$work/t/sub/New.TRK"
[ ! -e "$work/missing" ] || fail "a missing target is not made"
# Copying again with --skip-identical rewrites nothing.
before=$(stat -c %Y.%i "$work/kept/Hill.trk")
said=$("$cli" copy --to "$work/kept" --skip-identical "$work/t/Hill.trk" "$work/t/sub/New.TRK")
[ "$said" = "1 Tracks copied, 1 already there: $work/kept/" ] || fail "--skip-identical counts what is there: $said"
[ "$(stat -c %Y.%i "$work/kept/Hill.trk")" = "$before" ] || fail "--skip-identical left the file alone"
# The trash: a home trash of the test's own; what cannot go stays and is named.
mkdir -p "$work/home" "$work/bin"
cp "$work/t/Hill.trk" "$work/bin/one.trk"
said=$(HOME="$work/home" XDG_DATA_HOME="$work/home/data" "$cli" trash "$work/bin/one.trk" "$work/bin/none.trk" \
    2>"$work/err")
[ $? -eq 1 ] && [ "$said" = "1 Tracks moved to the trash" ] && grep -q "none.trk" "$work/err" ||
    fail "trash moves what it can and names what stayed"
cmp -s "$work/t/Hill.trk" "$work/home/data/Trash/files/one.trk" && [ ! -e "$work/bin/one.trk" ] ||
    fail "a trashed track lies in the trash"
# A catalogue of the tracks --match keeps; a folder of the user's is never replaced.
said=$("$cli" catalogue -o "$work/site" --match "sub" "$work/t")
[ "$said" = "1 Tracks in the catalogue, 1 with a picture: $work/site" ] && [ -s "$work/site/tracks/00001.png" ] ||
    fail "catalogue: $said"
grep -q "<td>New \* 1.10</td>" "$work/site/index.html" || fail "the catalogue lists the track"
expect_code 1 "catalogue over a folder of tracks" "$cli" catalogue -o "$work/t" "$work/t"
[ -f "$work/t/Hill.trk" ] || fail "a refused catalogue left the folder as it was"
printf 'good list\n' >"$work/saved.txt"
expect_code 1 "list of a missing folder" "$cli" list -o "$work/saved.txt" "$work/not-mounted"
[ "$(cat "$work/saved.txt")" = "good list" ] || fail "a failed list replaced the file"
"$cli" header "$work/t/Hill.trk" >/dev/full 2>/dev/null; [ $? -eq 1 ] || fail "header to a full disk"
echo "pitbox-cli end to end: 1 passed, 0 failed"
