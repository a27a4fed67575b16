#!/usr/bin/env bash
# Installs the outside programs the benchmarks compare against on Debian 12: libjpeg-turbo's
# djpeg and vipsthumbnail. Optional: a benchmark leaves out a baseline whose program is missing.
set -euo pipefail
packages=(libjpeg-turbo-progs libvips-tools)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
