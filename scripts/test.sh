#!/usr/bin/env bash
# Builds and runs every test: the clang build with AddressSanitizer,
# UndefinedBehaviorSanitizer and short fuzz runs first, then the normal build,
# then the Windows build with its tests under Wine, and last the normal build's
# tests, whose CTest summary ends the output.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" windows
jobs=$(nproc)
start=$(date +%s)
step() { echo; echo "== $* ($(( $(date +%s) - start )) s so far)"; }

step "Sanitizer build with clang: about 1 minute on two cores"
CXX=clang++ cmake -S "$top" -B "$top/build-san" -DCMAKE_BUILD_TYPE=Debug -DPITBOX_FUZZ=ON -DPITBOX_BENCH=OFF \
    -DPITBOX_FUZZ_SECONDS="${PITBOX_FUZZ_SECONDS:-30}" >/dev/null
cmake --build "$top/build-san" -j"$jobs" >/dev/null
step "Tests of the sanitizer build, then four fuzz runs of ${PITBOX_FUZZ_SECONDS:-30} s each: about 2 minutes"
(cd "$top/build-san" && ctest --output-on-failure)

step "Normal build: about 2 minutes"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$jobs" >/dev/null

step "Windows build with mingw-w64 and its installer: about 1.5 minutes"
bash "$top/scripts/build-windows.sh" -DPITBOX_LINUX_BUILD="$top/build"
step "Windows tests under Wine (a fresh Wine prefix first, about 15 s), clang-tidy last: about 2 minutes"
(cd "$top/build-windows" && ctest --output-on-failure)

step "Tests of the normal build, clang-tidy last: about 2 minutes"
cd "$top/build" && ctest --output-on-failure
