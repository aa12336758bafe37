#!/usr/bin/env bash
# Cross-builds Kestrun Pitbox for 64-bit Windows with Debian's mingw-w64 into
# build-windows/ (statically linked .exe files in build-windows/bin) and packs
# the installer pitbox-<version>-setup.exe and the portable zip beside them,
# installing what is missing first. Its tests run under Wine: (cd build-windows && ctest).
# Extra arguments go to CMake (the test command names the Linux build the Windows
# programs are compared with: -DPITBOX_LINUX_BUILD=...).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" windows
cmake -S "$top" -B "$top/build-windows" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$top/build-windows" -j"$(nproc)" >/dev/null
(cd "$top/build-windows" && cpack >/dev/null)
echo "Windows programs in $top/build-windows/bin; installer and portable zip in $top/build-windows"
