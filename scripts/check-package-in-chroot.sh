#!/usr/bin/env bash
# Installs the Debian package into a clean Debian 12 root made by debootstrap, where none of
# the build dependencies are present, and runs tunvale-cli there on a generated library.
# Run as root (debootstrap and chroot need it) after `make package`:
#   sudo scripts/check-package-in-chroot.sh [ROOT_FOLDER] [PACKAGE]
# The root is made from the mirror of the machine's own apt sources (scripts/apt-mirror.sh),
# or from MIRROR=URL when given.
# ROOT_FOLDER defaults to a new temporary folder, removed at the end unless KEEP_ROOT=1;
# an existing root is reused as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

root=${1:-}
package=${2:-$(ls build-package/tunvale_*_amd64.deb 2>/dev/null | head -1)}
[ -f "$package" ] || { echo "no package: run make package first" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "missing debootstrap: apt-get install debootstrap" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "debootstrap and chroot need root" >&2; exit 1; }

created=0
if [ -z "$root" ]; then
  root=$(mktemp -d "${TMPDIR:-/tmp}/tunvale-chroot.XXXXXX")
  chmod 755 "$root"   # apt's download user must be able to reach the root's files
  created=1
fi
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  if [ "$created" = 1 ] && [ "${KEEP_ROOT:-0}" != 1 ]; then rm -rf "$root"; fi
}
trap cleanup EXIT
if [ ! -x "$root/usr/bin/apt-get" ]; then
  # The root comes from the mirror this machine's apt uses (MIRROR=URL chooses another).
  mirror=${MIRROR:-$(./scripts/apt-mirror.sh bookworm)}
  echo "== debootstrap --variant=minbase bookworm $root $mirror"
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log" >&2; exit 1; }
  rm -f "$root.debootstrap.log"
fi
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"

in_root() { chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== build dependencies in the root before the install (none expected):"
in_root dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 == "ii" { print $2 }' |
  grep -xE 'cmake|g\+\+|gcc|pkg-config|libid3tag0(-dev)?|libflac(12|-dev)|libmp3lame(0|-dev)|libtag1(v5|-dev)|libqt6core6|qt6-base-dev|libcli11-dev' ||
  echo "  none"

cp "$package" "$root/tmp/"
echo "== apt-get install /tmp/$(basename "$package")"
in_root apt-get update -qq
in_root apt-get install -y "/tmp/$(basename "$package")" >"$root/tmp/install.log" 2>&1 ||
  { tail -30 "$root/tmp/install.log" >&2; exit 1; }
grep -E "newly installed" "$root/tmp/install.log" || true

echo "== tunvale-cli in the root"
rm -rf "$root/root/music" "$root/root/sorted"
./scripts/make-demo-library.sh "$root/root/music" >/dev/null
in_root tunvale-cli --version
in_root sh -c 'cd /root && tunvale-cli organize music sorted && find sorted -type f | sort'
in_root sh -c 'cd /root && tunvale-cli undo'
if in_root sh -c 'ldd /usr/bin/tunvale /usr/bin/tunvale-cli' | grep "not found"; then
  echo "a library of the programs is missing in the root" >&2
  exit 1
fi
echo "== the package installs and tunvale-cli organize works in a clean Debian 12 root"
