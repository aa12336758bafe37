#!/usr/bin/env bash
# Every C++ source of the project in the style of .clang-format; any file that
# would change fails.
#   check_format.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
command -v clang-format >/dev/null || { echo "missing clang-format: run the README's test command, which installs it"; exit 1; }
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
[ -n "$files" ] || { echo "no sources found"; exit 1; }
echo "$files" | xargs clang-format --dry-run --Werror --style=file
status=$?
echo "clang-format: $(echo "$files" | wc -l) files checked"
exit "$status"
