#!/usr/bin/env bash
# Builds the archive library the Windows programs read packs with: libarchive
# and the liblzma it needs for 7z and xz, both from Debian 12's own source
# packages (with Debian's patches), cross-built with mingw-w64 as static
# libraries, so that pitbox.exe still brings no DLLs. zlib is Debian's
# libz-mingw-w64-dev. Only what reading packs needs is built: no programs, no
# crypto, no bzip2, lz4 or zstd, no iconv.
#
#   scripts/build-windows-archives.sh PREFIX
#
# leaves PREFIX/include/{archive.h,archive_entry.h,lzma.h,lzma/} and
# PREFIX/lib/{libarchive.a,liblzma.a}; a PREFIX that holds them already is
# left as it is. The sources come through apt with a list of Debian's source
# archives of its own, so nothing in the system's apt settings changes.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: build-windows-archives.sh PREFIX}")
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -f "$prefix/lib/libarchive.a" ] && [ -f "$prefix/lib/liblzma.a" ]; then
    exit 0
fi
work="$prefix/work"
rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src" "$prefix/lib" "$prefix/include"
cat >"$work/apt/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
# What the builds print is shown only when one fails.
quiet() { "$@" >"$work/log" 2>&1 || { cat "$work/log"; return 1; }; }
apt_options=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache" -o Debug::NoLocking=1
             -o APT::Sandbox::User=root)
echo "Fetching Debian's sources of libarchive and xz-utils"
apt-get -qq "${apt_options[@]}" update
(cd "$work/src" && quiet apt-get -qq "${apt_options[@]}" source libarchive xz-utils)
toolchain="$top/cmake/mingw-w64-x86_64.cmake"
mingw=/usr/x86_64-w64-mingw32

echo "Building liblzma for Windows"
quiet cmake -S "$work"/src/xz-utils-*/ -B "$work/xz" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
quiet cmake --build "$work/xz" -j"$(nproc)" --target liblzma
quiet cmake --install "$work/xz" --component liblzma_Development

echo "Building libarchive for Windows"
# Its check whether zlib wants ZLIB_WINAPI runs a program, which a cross
# build cannot: Debian's mingw zlib does not.
quiet cmake -S "$work"/src/libarchive-*/ -B "$work/libarchive" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DZLIB_LIBRARY="$mingw/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw/include" \
    -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a" -DLIBLZMA_INCLUDE_DIR="$prefix/include" \
    -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= -DPOSIX_REGEX_LIB=NONE \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=OFF -DENABLE_LIBB2=OFF \
    -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_ZSTD=OFF -DENABLE_BZip2=OFF -DENABLE_LIBXML2=OFF \
    -DENABLE_EXPAT=OFF -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF -DENABLE_TAR=OFF -DENABLE_CPIO=OFF \
    -DENABLE_CAT=OFF -DENABLE_XATTR=OFF -DENABLE_ACL=OFF -DENABLE_ICONV=OFF -DENABLE_TEST=OFF
quiet cmake --build "$work/libarchive" -j"$(nproc)" --target archive_static
cp "$work"/src/libarchive-*/libarchive/archive.h "$work"/src/libarchive-*/libarchive/archive_entry.h \
    "$prefix/include/"
# Last, so that a build cut short is built again whole.
cp "$work/libarchive/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
rm -rf "$work"
