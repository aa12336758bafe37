#!/usr/bin/env bash
# Runs the README's test command as a new user would: in a fresh Debian 12 root
# (debootstrap, minbase, then only git), on a fresh clone of this repository's
# committed state, as root with a clean environment and no locale (no LANG), as a
# minimal container has. Run by hand (as root), not by CI; it takes about 20
# minutes and prints the time the test command took.
#   scripts/check-fresh-debian.sh [WORK_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/var/tmp/pitbox-fresh}
root="$work/root"
mirror=http://deb.debian.org/debian
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap and chroot need it)"; exit 1; }
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap

mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
    # Never remove through a mount that is still there (the machine's /dev).
    if grep -q " $root/" /proc/mounts; then echo "mounts left under $root: not removed"; else rm -rf "$root"; fi
}
trap cleanup EXIT
bind() { mkdir -p "$root$2"; mount "${@:3}" "$1" "$root$2"; mounted+=("$root$2"); }

rm -rf "$root"
mkdir -p "$work"
# The downloaded base system is kept between runs; the root itself is new each time.
tarball="$work/bookworm-minbase.tgz"
if [ ! -f "$tarball" ]; then
    echo "== Downloading a minimal Debian 12"
    debootstrap --variant=minbase --make-tarball="$tarball" bookworm "$work/tarball-scratch" "$mirror"
    rm -rf "$work/tarball-scratch"
fi
echo "== Making a fresh Debian 12 root in $root"
debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$root" "$mirror" >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
# The root a mount of its own, as a machine's / is: bubblewrap (GNOME's
# thumbnail factory runs thumbnailers in it) cannot make a sandbox otherwise.
bind "$root" "" --bind
bind proc /proc -t proc
bind sysfs /sys -t sysfs
bind /dev /dev --bind
bind devpts /dev/pts -t devpts
bind tmpfs /dev/shm -t tmpfs
bind "$top" /mnt/source --bind -o ro

in_root() { chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM=dumb "$@"; }
echo "== Installing git, cloning the repository"
in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git ca-certificates >/dev/null'
in_root git clone -q /mnt/source /root/pitbox

echo "== The README's test command on the fresh root"
start=$(date +%s)
status=0
in_root bash -c 'cd /root/pitbox && bash scripts/test.sh' || status=$?
echo "== Test command: exit code $status after $(( $(date +%s) - start )) s on the fresh root"
exit "$status"
