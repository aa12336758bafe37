#!/usr/bin/env bash
# Track files on the desktop, through the programs that read what Pitbox
# installs: GLib's MIME database (gio, and xdg-mime as GNOME runs it) names
# the type by name and by content, and GNOME's thumbnail factory, which Files
# and other GTK programs use, runs the thumbnailer in its bubblewrap sandbox:
# a track's thumbnail is the map pitbox-cli draws, and a damaged or old-format
# track gets none. The installed files are staged in a folder of their own;
# pitbox-cli is put where the sandbox sees programs by an outer sandbox of
# the test's own, so nothing of the system's is touched.
#   file_type_test.sh SOURCE_DIR BUILD_DIR
set -u
src=$1
build=$2
fail() { echo "FAIL: $*"; exit 1; }
# GNOME's bindings are those of Debian's own Python.
for tool in gio xdg-mime update-mime-database update-desktop-database bwrap /usr/bin/python3; do
    command -v "$tool" >/dev/null || fail "missing $tool: run the README's test command, which installs it"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
share="$work/share"
mkdir -p "$share/mime/packages" "$share/thumbnailers" "$work/cache" "$work/t"
cp "$src/resources/kestrun-pitbox-mime.xml" "$share/mime/packages/kestrun-pitbox.xml"
cp "$src/resources/kestrun-pitbox.thumbnailer" "$share/thumbnailers/"
export XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_CONFIG_HOME="$work/config"
update-mime-database "$share/mime" || fail "update-mime-database"
t="$work/t"
"$build/bin/pitbox_write_track" "$t/Green Ring.trk" plain >/dev/null || fail "writing a track"
cp "$t/Green Ring.trk" "$t/saved as.bin"
"$build/bin/pitbox_write_track" "$t/cut.trk" damaged >/dev/null
"$build/bin/pitbox_write_track" "$t/old.TRK" old >/dev/null
printf 'not a track' >"$t/notes.txt"

# The type by name (any letter case) and by its first bytes under another name.
type="application/x-kestrun-track"
for f in "Green Ring.trk" "saved as.bin" "cut.trk" "old.TRK"; do
    got=$(gio info -a standard::content-type "$t/$f" | sed -n 's/^ *standard::content-type: //p')
    [ "$got" = "$type" ] || fail "gio names $f $got"
done
got=$(gio info -a standard::content-type "$t/notes.txt" | sed -n 's/^ *standard::content-type: //p')
[ "$got" != "$type" ] || fail "gio takes a text file for a track"
# The program is the one that opens it, through its menu entry.
mkdir -p "$share/applications"
cp "$src/resources/kestrun-pitbox.desktop" "$share/applications/"
update-desktop-database "$share/applications" || fail "update-desktop-database"
# GIO offers only programs it finds on the PATH.
got=$(PATH="$build/bin:$PATH" gio mime "$type" | sed -n 's/^Default application for .*: //p')
[ "$got" = "kestrun-pitbox.desktop" ] || fail "gio opens track files with $got"
got=$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$t/Green Ring.trk")
[ "$got" = "$type" ] || fail "xdg-mime names the track $got"
got=$(/usr/bin/python3 -c 'import sys; from gi.repository import Gio; print(Gio.content_type_get_description(sys.argv[1]))' "$type")
[ "$got" = "Kestrun track" ] || fail "the type is described as $got"

# Thumbnails, 256 px (the factory's large size), from the real factory.
"$build/bin/pitbox-cli" thumbnail -s 256 "$t/Green Ring.trk" "$work/expected.png" || fail "pitbox-cli thumbnail"
sandbox=(bwrap --bind / / --dev-bind /dev /dev --proc /proc --tmpfs /usr/local/bin
         --ro-bind "$build/bin/pitbox-cli" /usr/local/bin/pitbox-cli --setenv PATH /usr/local/bin:/usr/bin:/bin)
# The factory's sandbox takes a user namespace. Where the machine gives none (a
# chroot, some containers), root makes it with its own capabilities instead, as
# bubblewrap does where user namespaces are switched off.
if ! "${sandbox[@]}" bwrap --unshare-all --ro-bind /usr /usr --symlink usr/lib /lib \
        --symlink usr/lib64 /lib64 --proc /proc --dev /dev /usr/bin/true 2>/dev/null; then
    [ "$(id -u)" -eq 0 ] || fail "this machine makes no sandbox for thumbnailers (no user namespaces)"
    echo 0 >"$work/no-user-namespaces"
    sandbox+=(--cap-add ALL --ro-bind "$work/no-user-namespaces" /proc/sys/user/max_user_namespaces)
fi
factory() { "${sandbox[@]}" /usr/bin/python3 "$src/tests/desktop/thumbnail_factory.py" \
    "$t/Green Ring.trk=$work/expected.png" "$t/saved as.bin" "$t/cut.trk" "$t/old.TRK"; }
expected="$type 256x256
$type 256x256
$type none
$type none"
got=$(factory)
# The factory's reasons, once more with its debug output, where it went wrong.
[ "$got" = "$expected" ] || fail "the factory made: $got
$(G_MESSAGES_DEBUG=GnomeDesktop factory 2>&1 | grep -A1 "Failed to launch")"
ls "$work/cache/thumbnails/large/"*.png >/dev/null 2>&1 || fail "no thumbnail kept in the cache"
echo "file type and thumbnails: ok"
