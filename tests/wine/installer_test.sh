#!/usr/bin/env bash
# The Windows installer under Wine: a silent install into Program Files and one
# into a folder of our choosing, each with its Start-menu entry (started as a
# user starts it: the program's window opens, in the user's Documents folder),
# its uninstaller registered with Windows and a working pitbox-cli.exe, and a
# silent uninstall that leaves nothing behind. Explorer's thumbnails: a host
# makes the provider the installer registered as the shell does and gets a
# track's map, no thumbnail of a cut track, and after the uninstall no
# provider, while what another program registered for .trk stays. Also the
# portable zip's contents.
#   installer_test.sh PREFIX SETUP.exe PORTABLE.zip THUMBNAIL_HOST.exe TRACKS_DIR
set -u
prefix=$1 setup=$2 zip=$3 host=$4 tracks=$5
. "$(dirname "$0")/env.sh" "$prefix"
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
start_xvfb
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$setup" ] || fail "no $setup: scripts/build-windows.sh makes it"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrun Pitbox'
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrun Pitbox/Kestrun Pitbox.lnk"

# The type .trk names before the install ("" for none), as the registry says it.
trk_default() {
    wine reg query 'HKLM\Software\Classes\.trk' /ve 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *(Default) *REG_SZ *//p' | sed 's/^(value not set)$//'
}

check() { # windows folder, the same folder in the prefix, how it was installed
    local folder=$1 unix=$2 how=$3
    local before
    before=$(trk_default)
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
    [ -f "$unix/pitbox-thumbnails.dll" ] || fail "$how: no pitbox-thumbnails.dll"
    wine reg query 'HKLM\Software\Classes\.trk\ShellEx\{e357fccd-a995-4576-b01f-234630154e96}' /ve 2>/dev/null |
        grep -qi "{0c1b5861-d2fa-46f9-a6be-37a18d984663}" || fail "$how: no thumbnail handler registered for .trk"
    local got
    got=$(wine "$host" "$(winepath -w "$work/Green Valley.trk")" 256 | tr -d '\r')
    [ "$got" = "256x256 same" ] || fail "$how: Explorer's thumbnail of a track: $got"
    got=$(wine "$host" "$(winepath -w "$work/cut.trk")" 256 | tr -d '\r')
    [ "$got" = "none" ] || fail "$how: Explorer's thumbnail of a cut track: $got"
    wine reg query 'HKLM\Software\Classes\.trk\OpenWithProgids' /v KestrunPitbox.Track >/dev/null 2>&1 ||
        fail "$how: Pitbox is not on the Open With list of .trk"
    if [ -z "$before" ]; then
        [ "$(trk_default)" = "KestrunPitbox.Track" ] || fail "$how: .trk, held by none, is not Pitbox's: $(trk_default)"
        # A double click as Explorer makes it: the Open verb of the file's type.
        wine start "$(winepath -w "$work/Green Valley.trk")" || fail "$how: the track does not open"
        wait_window "Green Valley.trk" >/dev/null || fail "$how: opening the track shows no viewer"
        # A second double click goes to the running program, which shows that track.
        wine start /wait "$(winepath -w "$work/cut.trk")" || fail "$how: the second track does not open"
        wait_window "cut.trk" >/dev/null || fail "$how: the running program does not show the second track"
        [ "$(pgrep -c -r D,R,S,T -f 'pitbox\.exe')" -eq 1 ] || fail "$how: a second double click left a second program"
        kill "$(pgrep -f 'pitbox\.exe' | head -n 1)"
        wineserver -w
    else
        [ "$(trk_default)" = "$before" ] || fail "$how: the install took .trk from $before"
    fi
    wine "$folder\\Uninstall.exe" /S || fail "$how: the uninstaller failed"
    wineserver -w
    sleep 1
    [ -e "$unix" ] && fail "$how: $folder is still there after the uninstall"
    [ -e "$menu" ] && fail "$how: the Start-menu entry is still there"
    [ -e "$(dirname "$menu")" ] && fail "$how: the Start-menu folder is still there"
    wine reg query "$key" >/dev/null 2>&1 && fail "$how: the uninstaller is still registered"
    got=$(wine "$host" "$(winepath -w "$work/Green Valley.trk")" 256 | tr -d '\r')
    [ "$got" = "not registered" ] || fail "$how: the thumbnails are still registered: $got"
    wine reg query 'HKLM\Software\Classes\.trk\ShellEx' >/dev/null 2>&1 && fail "$how: .trk keeps a ShellEx key"
    wine reg query 'HKLM\Software\Classes\.trk\OpenWithProgids' /v Other.Track >/dev/null 2>&1 ||
        fail "$how: another program's registration for .trk went with the uninstall"
    wine reg query 'HKLM\Software\Classes\.trk\OpenWithProgids' /v KestrunPitbox.Track >/dev/null 2>&1 &&
        fail "$how: Pitbox stays on the Open With list"
    wine reg query 'HKLM\Software\Classes\KestrunPitbox.Track' >/dev/null 2>&1 && fail "$how: Pitbox's type stays"
    [ "$(trk_default)" = "$before" ] || fail "$how: the uninstall left .trk as $(trk_default), not $before"
    return 0
}
work="$prefix/drive_c/thumbnail-tracks"  # the prefix goes after the run, and it with it
rm -rf "$work" && mkdir -p "$work"
cp "$tracks/Classics/Green Valley.trk" "$work/"
head -c 3000 "$work/Green Valley.trk" >"$work/cut.trk"
# What another program registered for .trk before Pitbox came.
wine reg add 'HKLM\Software\Classes\.trk\OpenWithProgids' /v Other.Track /d "" /f >/dev/null 2>&1
check 'C:\Program Files\Kestrun Pitbox' "$prefix/drive_c/Program Files/Kestrun Pitbox" "into Program Files"
# Another program holds .trk: Pitbox joins its Open With list and takes nothing.
wine reg add 'HKLM\Software\Classes\.trk' /ve /d Other.Track /f >/dev/null 2>&1
check 'C:\Somewhere' "$prefix/drive_c/Somewhere" "into a chosen folder" '/D=C:\Somewhere'

[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "README.md pitbox-cli.exe pitbox.exe " ] ||
    fail "the portable zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
echo "installer: silent install and uninstall, twice; portable zip"
