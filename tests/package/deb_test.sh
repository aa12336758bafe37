#!/usr/bin/env bash
# The Linux package: cpack makes a .deb of both programs, the desktop entry, the
# AppStream metadata, the icons and the README, with stripped programs and
# dependencies found by dpkg-shlibdeps (so apt brings in Qt's runtime and
# nothing of its development). The desktop's own checkers and lintian find no
# error in it.
#   deb_test.sh BUILD_DIR
set -u
build=$1
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/log" 2>&1) || { cat "$out/log"; fail "cpack"; }
deb=$(ls "$out"/kestrun-pitbox_*_amd64.deb 2>/dev/null) || fail "no .deb made"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/pitbox ./usr/bin/pitbox-cli ./usr/share/applications/kestrun-pitbox.desktop \
    ./usr/share/icons/hicolor/48x48/apps/kestrun-pitbox.png ./usr/share/icons/hicolor/256x256/apps/kestrun-pitbox.png \
    ./usr/share/doc/kestrun-pitbox/README.md ./usr/lib/kestrun-pitbox/libpitbox-text-qt.so \
    ./usr/share/metainfo/org.example.kestrun_pitbox.metainfo.xml ./usr/share/doc/kestrun-pitbox/copyright \
    ./usr/share/man/man1/pitbox.1.gz ./usr/share/man/man1/pitbox-cli.1.gz \
    ./usr/share/bash-completion/completions/pitbox-cli ./usr/share/mime/packages/kestrun-pitbox.xml \
    ./usr/share/thumbnailers/kestrun-pitbox.thumbnailer; do
    grep -qxF "$file" <<<"$contents" || fail "$file missing from the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -q "\b$needed (" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
grep -q -- "-dev" <<<"$depends" && fail "Depends names a development package: $depends"
[ "$(dpkg-deb -f "$deb" Package Architecture | tr '\n' ' ')" = "Package: kestrun-pitbox Architecture: amd64 " ] ||
    fail "package name or architecture"
dpkg-deb -x "$deb" "$out/root"
for tool in desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null || fail "missing $tool: run the README's test command, which installs it"
done
desktop-file-validate "$out/root/usr/share/applications/kestrun-pitbox.desktop" || fail "desktop entry"
# Track files, and nothing else: never folders.
[ "$(sed -n 's/^MimeType=//p' "$out/root/usr/share/applications/kestrun-pitbox.desktop")" = "application/x-kestrun-track;" ] ||
    fail "the desktop entry claims other types than track files"
grep -q "^Exec=pitbox %F$" "$out/root/usr/share/applications/kestrun-pitbox.desktop" || fail "the desktop entry takes no files"
appstreamcli validate --no-net --pedantic "$out/root/usr/share/metainfo/org.example.kestrun_pitbox.metainfo.xml" ||
    fail "AppStream metadata"
lintian --fail-on error "$deb" >"$out/lintian" 2>&1 || { cat "$out/lintian"; fail "lintian finds errors"; }
grep -E "no-manual-page|manpage" "$out/lintian" && fail "lintian finds fault with the manual pages"
for page in pitbox pitbox-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$out/root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done
file "$out/root/usr/bin/pitbox" | grep -q "not stripped" && fail "the programs are not stripped"
# The installed command line finds its font engine beside it and draws the records.
"$build/bin/pitbox_write_track" "$out/t.trk" >/dev/null || fail "writing a track"
"$out/root/usr/bin/pitbox-cli" render -o "$out/t.png" "$out/t.trk" || fail "the installed pitbox-cli cannot draw the records"
echo "deb: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB, Depends: $depends"
