#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over our sources; any finding fails,
# and so does a clang-tidy that cannot run at all.
#   run_clang_tidy.sh SOURCE_DIR BUILD_DIR [windows]
# With "windows", the Windows-only sources, read as the mingw-w64 compiler does,
# from the Windows build's compile commands.
set -uo pipefail
source_dir=$1 build_dir=$2 platform=${3:-linux}
command -v clang-tidy >/dev/null || { echo "missing clang-tidy: run the README's test command, which installs it"; exit 1; }
[ -f "$build_dir/compile_commands.json" ] || { echo "no compile database in $build_dir"; exit 1; }
cd "$source_dir" || exit 1
extra=()
if [ "$platform" = windows ]; then
    files=$( (find src -path '*/win32/*' -name '*.cpp'; find src tests -name '*_win32.cpp'
        find src/shell tests/wine -name '*.cpp') | sort)
    gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    # Win32 messages carry pointers in integers (LPARAM): that check cannot apply.
    extra=(--extra-arg=--target=x86_64-w64-mingw32 --checks=-performance-no-int-to-ptr)
    for d in "$gcc/include/c++" "$gcc/include/c++/x86_64-w64-mingw32" "$gcc/include/c++/backward" \
        /usr/x86_64-w64-mingw32/include; do
        extra+=("--extra-arg=-isystem$d")
    done
else
    files=$( (find src tests bench -name '*.cpp' -not -path '*/win32/*' -not -name '*_win32.cpp' \
        -not -path 'src/shell/*' -not -path 'tests/wine/*'
        echo tools/make_demo_tracks.cpp) | sort)
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
echo "$files" | xargs -P"$(nproc)" -n4 clang-tidy -p "$build_dir" --quiet "${extra[@]}" >"$log" 2>&1
status=$?
findings=$(grep -cE "(warning|error):" "$log")
grep -E "(warning|error):" "$log" | head -40
echo "clang-tidy ($platform): $(echo "$files" | wc -l) files, $findings findings"
# Findings make clang-tidy fail too; a failure without any finding means it did
# not run (a crash, a broken compile database).
if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then
    echo "clang-tidy failed without a finding:"
    tail -20 "$log"
    exit 1
fi
[ "$findings" -eq 0 ]
