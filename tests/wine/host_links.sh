#!/usr/bin/env bash
# Links the Windows tests walk, laid out with the host's links, as Wine cannot
# make junctions: in FOLDER/loop a track and a link from below back up to
# itself; in FOLDER/published an empty folder www/tracks and pub, a link to it.
#   host_links.sh FOLDER
set -eu
rm -rf "$1"
mkdir -p "$1/loop/sub" "$1/published/www/tracks"
: >"$1/loop/sub/t1.trk"
ln -s .. "$1/loop/sub/loop"
ln -s www/tracks "$1/published/pub"
