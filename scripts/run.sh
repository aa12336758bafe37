#!/usr/bin/env bash
# Builds Kestrun Pitbox and starts it with the demo tracks loaded.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target pitbox pitbox-cli
exec "$top/build/bin/pitbox" "$top/examples/tracks"
