#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over our sources; any finding fails.
#   run_clang_tidy.sh SOURCE_DIR BUILD_DIR
set -u
source_dir=$1 build_dir=$2
command -v clang-tidy >/dev/null || { echo "missing clang-tidy: run the README's test command, which installs it"; exit 1; }
cd "$source_dir" || exit 1
files=$( (find src tests bench -name '*.cpp'; echo tools/make_demo_tracks.cpp) | sort)
out=$(echo "$files" | xargs -P"$(nproc)" -n4 clang-tidy -p "$build_dir" --quiet 2>/dev/null)
findings=$(echo "$out" | grep -cE "(warning|error):")
echo "$out" | grep -E "(warning|error):" | head -40
echo "clang-tidy: $(echo "$files" | wc -l) files, $findings findings"
[ "$findings" -eq 0 ]
