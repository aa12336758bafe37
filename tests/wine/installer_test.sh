#!/usr/bin/env bash
# The Windows installer under Wine: a silent install into Program Files and one
# into a folder of our choosing, each with its Start-menu entry (started as a
# user starts it: the program's window opens, in the user's Documents folder),
# its uninstaller registered with Windows and a working pitbox-cli.exe, and a
# silent uninstall that leaves nothing behind. Also the portable zip's contents.
#   installer_test.sh PREFIX SETUP.exe PORTABLE.zip
set -u
prefix=$1 setup=$2 zip=$3
. "$(dirname "$0")/env.sh" "$prefix"
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
start_xvfb
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$setup" ] || fail "no $setup: scripts/build-windows.sh makes it"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrun Pitbox'
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrun Pitbox/Kestrun Pitbox.lnk"

check() { # windows folder, the same folder in the prefix, how it was installed
    local folder=$1 unix=$2 how=$3
    wine "$setup" /S ${4:+"$4"} || fail "$how: the installer failed"
    wineserver -w
    for file in pitbox.exe pitbox-cli.exe README.md Uninstall.exe; do
        [ -f "$unix/$file" ] || fail "$how: no $file in $folder"
    done
    [ -f "$menu" ] || fail "$how: no Start-menu entry"
    [ -f "$(dirname "$menu")/README.lnk" ] || fail "$how: no README in the Start-menu folder"
    wine start /unix "$menu" || fail "$how: the Start-menu entry does not start"
    wait_window "Kestrun Pitbox" >/dev/null || fail "$how: no window from the Start-menu entry"
    local pid documents
    pid=$(pgrep -f 'pitbox\.exe' | head -n 1)
    documents=$(readlink -f "$prefix/drive_c/users/$(id -un)/Documents")
    [ "$(readlink -f "/proc/$pid/cwd")" = "$documents" ] ||
        fail "$how: the entry starts in $(readlink -f "/proc/$pid/cwd"), not in Documents ($documents)"
    kill "$pid"
    wineserver -w
    wine reg query "$key" 2>/dev/null | grep -q "UninstallString" || fail "$how: no uninstaller registered"
    wine "$folder\\pitbox-cli.exe" --help | grep -q "usage: pitbox-cli" || fail "$how: the installed pitbox-cli.exe does not run"
    wine "$folder\\Uninstall.exe" /S || fail "$how: the uninstaller failed"
    wineserver -w
    sleep 1
    [ -e "$unix" ] && fail "$how: $folder is still there after the uninstall"
    [ -e "$menu" ] && fail "$how: the Start-menu entry is still there"
    [ -e "$(dirname "$menu")" ] && fail "$how: the Start-menu folder is still there"
    wine reg query "$key" >/dev/null 2>&1 && fail "$how: the uninstaller is still registered"
    return 0
}
check 'C:\Program Files\Kestrun Pitbox' "$prefix/drive_c/Program Files/Kestrun Pitbox" "into Program Files"
check 'C:\Somewhere' "$prefix/drive_c/Somewhere" "into a chosen folder" '/D=C:\Somewhere'

[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "README.md pitbox-cli.exe pitbox.exe " ] ||
    fail "the portable zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
echo "installer: silent install and uninstall, twice; portable zip"
