#!/usr/bin/env bash
# Makes a fresh Wine prefix for this test run (about 10 s), or ends its server.
#   prefix.sh PREFIX make|stop
prefix=$1
. "$(dirname "$0")/env.sh" "$prefix"
case $2 in
    make)
        wineserver -k 2>/dev/null
        rm -rf "$prefix"
        wineboot --init >/dev/null 2>&1
        wineserver -w
        [ -d "$prefix/drive_c" ] || { echo "no Wine prefix made in $prefix"; exit 1; }
        echo "Wine prefix ready in $prefix" ;;
    stop)
        wineserver -k 2>/dev/null
        echo "Wine server ended" ;;
esac
