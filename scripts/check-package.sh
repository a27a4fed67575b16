#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into a fresh minimal Debian 12 root, with apt resolving its
# dependencies there, and runs the installed programs: proof that the package's Depends name
# everything the programs need. Downloads a Debian 12 base from the mirror and takes minutes,
# so it is run by hand rather than by scripts/test.sh. Needs root.
# Usage: scripts/check-package.sh [PACKAGE.deb] [ROOT_DIR]
#   PACKAGE.deb  default: the newest build/package/lumivue_*.deb (scripts/package.sh makes it)
#   ROOT_DIR     default: build/debian12-root; a root made before is reused as it is
# DEBIAN_MIRROR chooses the mirror (default http://deb.debian.org/debian).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
newest="$(ls -t "$here"/build/package/lumivue_*.deb 2>/dev/null || true)"
deb="${1:-${newest%%$'\n'*}}"
root="${2:-$here/build/debian12-root}"
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "No package given and none in build/package: run scripts/package.sh first." >&2
  exit 2
fi
bash "$here/scripts/apt-install.sh" debootstrap

if [ ! -x "$root/usr/bin/apt-get" ]; then
  rm -rf "$root"
  debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT

# A 2 x 1 pixel 24-bit bitmap, written byte by byte so the check needs nothing else.
printf 'BM\x3e\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x08\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x00\x00' \
  >"$root/tmp/dot.bmp"
cp "$deb" "$root/tmp/lumivue.deb"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get update
in_root apt-get install -y --no-install-recommends /tmp/lumivue.deb
in_root lumivue --version
# The viewer opens its window (offscreen: the root has no display) and runs until stopped.
status=0
in_root QT_QPA_PLATFORM=offscreen timeout 5 lumivue /tmp/dot.bmp || status=$?
[ "$status" -eq 124 ] || { echo "lumivue ended with status $status instead of running" >&2; exit 1; }
in_root lumivue-picture info /tmp/dot.bmp | tee "$root/tmp/info.txt"
grep -qx 'width: 2' "$root/tmp/info.txt" && grep -qx 'pixel-format: 24-bit' "$root/tmp/info.txt"
echo "check-package: $(basename "$deb") installs into a clean Debian 12 root and runs there"
