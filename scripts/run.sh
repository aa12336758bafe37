#!/usr/bin/env bash
# Builds Kestrun Pitbox and starts it, in the folder of the demo tracks when
# they are there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target pitbox pitbox-cli
folder="$top/examples/tracks"
[ -d "$folder" ] || folder="$top"
cd "$folder"
exec "$top/build/bin/pitbox"
