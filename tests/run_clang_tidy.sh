#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over our sources; any finding fails,
# and so does a clang-tidy that cannot run at all.
#   run_clang_tidy.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1 build_dir=$2
command -v clang-tidy >/dev/null || { echo "missing clang-tidy: run the README's test command, which installs it"; exit 1; }
[ -f "$build_dir/compile_commands.json" ] || { echo "no compile database in $build_dir"; exit 1; }
cd "$source_dir" || exit 1
files=$( (find src tests bench -name '*.cpp' -not -path '*/win32/*' -not -name '*_win32.cpp'; echo tools/make_demo_tracks.cpp) | sort)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
echo "$files" | xargs -P"$(nproc)" -n4 clang-tidy -p "$build_dir" --quiet >"$log" 2>&1
status=$?
findings=$(grep -cE "(warning|error):" "$log")
grep -E "(warning|error):" "$log" | head -40
echo "clang-tidy: $(echo "$files" | wc -l) files, $findings findings"
# Findings make clang-tidy fail too; a failure without any finding means it did
# not run (a crash, a broken compile database).
if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then
    echo "clang-tidy failed without a finding:"
    tail -20 "$log"
    exit 1
fi
[ "$findings" -eq 0 ]
