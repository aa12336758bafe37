#!/usr/bin/env bash
# The real pitbox-cli binary: exit codes, messages, and a render with the records
# text drawn by the platform's fonts.
set -u
cli=$1
writer=$2
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/t/sub"
"$writer" "$work/t/Hill.trk" || fail "writer"
"$writer" "$work/t/sub/New.TRK" v110
"$writer" "$work/t/Old.trk" old
"$writer" "$work/t/Cut.trk" damaged

"$cli" --help | grep -q "render" || fail "--help"
"$cli" bogus 2>/dev/null; [ $? -eq 2 ] || fail "usage error exit code"
"$cli" header "$work/t/Cut.trk" >/dev/null 2>"$work/err"; [ $? -eq 1 ] || fail "damaged header exit code"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "one-line message"

"$cli" list --scan "$work/t" >"$work/list.txt" || fail "list"
head -n 1 "$work/list.txt" | grep -q "^4 Tracks" || fail "count line"
grep -q "New \* 1.10" "$work/list.txt" || fail "1.10 mark"
grep -q "zz_Old KS<1.05" "$work/list.txt" || fail "old-format label"

"$cli" render -o "$work/with.png" "$work/t/Hill.trk" || fail "render with records"
"$cli" render --no-records -o "$work/without.png" "$work/t/Hill.trk" || fail "render without records"
[ "$(head -c 8 "$work/with.png" | od -An -c | tr -d ' ')" = "211PNG\r\n032\n" ] || fail "PNG signature"
cmp -s "$work/with.png" "$work/without.png" && fail "records text missing"
"$cli" render -o "$work/old.png" "$work/t/Old.trk" 2>/dev/null; [ $? -eq 1 ] || fail "old-format render"

mkdir "$work/out"
[ "$("$cli" copy --to "$work/out" "$work/t/Hill.trk" "$work/t/Hill.trk")" = "2 Tracks copied to: $work/out/" ] || fail "copy"
echo "pitbox-cli end to end: 1 passed, 0 failed"
