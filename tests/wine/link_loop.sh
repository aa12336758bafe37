#!/usr/bin/env bash
# A folder with a track and a link from below back up to itself.
#   link_loop.sh FOLDER
set -eu
rm -rf "$1"
mkdir -p "$1/sub"
: >"$1/sub/t1.trk"
ln -s .. "$1/sub/loop"
