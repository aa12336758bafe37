#!/usr/bin/env bash
# Runs a Windows program under Wine in an X server of its own, with the screen
# set to DPI pixels an inch (as a scaled laptop screen has), and sets it back
# to 96 afterwards.
#   at_dpi.sh PREFIX DPI PROGRAM.exe [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1 dpi=$2
shift 2
. "$here/env.sh" "$prefix"
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -w
}
set_dpi "$dpi"
PITBOX_TEST_DPI=$dpi "$here/in_xvfb.sh" "$prefix" "$@"
code=$?
set_dpi 96
wineserver -k 2>/dev/null
exit $code
