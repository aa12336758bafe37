#!/usr/bin/env bash
# Installs what building, running and testing Kestrun Pitbox need on Debian 12,
# leaving out what is there already.
set -euo pipefail
packages=(
    build-essential cmake pkg-config file   # file: the package test looks at the programs
    qt6-base-dev libgl-dev          # Qt 6 Widgets
    libgtest-dev libbenchmark-dev   # tests and benchmarks
    clang clang-tidy clang-format libclang-rt-14-dev   # sanitizers, libFuzzer, static analysis, style
    libstb-dev zlib1g-dev           # the PNG encoder (and, for the tests, its decoder)
    libxxhash-dev                   # the duplicate search's hash
    libcli11-dev                    # the command lines' option parser (header-only)
    libarchive-dev                  # reading zip, 7z, rar and tar packs
    p7zip-full libarchive-tools     # the tests' 7z packs, and bsdtar as the packs' baseline
    unicode-data                    # the search folding's table, made at build time
    fonts-liberation                # a metric twin of Arial
    fonts-dejavu-core               # the monospace and sans fallbacks; without it fontconfig may
                                    # pick a thin URW or TeX Gyre face that other packages bring
    xvfb xdotool x11-utils xauth imagemagick python3   # the tests in a real X window, screenshots
    openbox                         # a window manager for the tests on a desktop
    chromium                        # a real browser for the catalogue page's test
    tesseract-ocr tesseract-ocr-eng                    # reading the window back in the end-to-end test
    jdupes fdupes                   # the duplicate search's baselines in the benchmarks
    trash-cli                       # a real reader of the trash, restoring what Pitbox moved there
    desktop-file-utils appstream lintian   # the package's checks
    shared-mime-info libglib2.0-bin xdg-utils   # the track file type, as GLib and xdg-mime name it
    gir1.2-gnomedesktop-3.0 python3-gi bubblewrap   # GNOME's thumbnail factory, running the thumbnailer
    pcmanfm                         # a real file manager, for drags both ways
)
# With the argument "windows": what the Windows build and its tests under Wine need.
if [ "${1:-}" = windows ]; then
    packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64 nsis unzip
              dpkg-dev xz-utils)   # dpkg-source unpacks the sources of the Windows archive library
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
