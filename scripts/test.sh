#!/usr/bin/env bash
# Builds and runs every test: the clang build with AddressSanitizer,
# UndefinedBehaviorSanitizer and short fuzz runs first, then the normal build,
# whose CTest summary ends the output.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
jobs=$(nproc)
start=$(date +%s)

CXX=clang++ cmake -S "$top" -B "$top/build-san" -DCMAKE_BUILD_TYPE=Debug -DPITBOX_FUZZ=ON -DPITBOX_BENCH=OFF \
    -DPITBOX_FUZZ_SECONDS="${PITBOX_FUZZ_SECONDS:-30}" >/dev/null
cmake --build "$top/build-san" -j"$jobs"
(cd "$top/build-san" && ctest --output-on-failure)

cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$jobs"
echo "(sanitizer and fuzz run plus build took $(( $(date +%s) - start )) s so far)"
cd "$top/build" && ctest --output-on-failure
