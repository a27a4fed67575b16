#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the named Debian packages that are not installed yet: one `apt-get update`, then
# one `apt-get install -y` of the missing ones (as root, or through sudo).
# Usage: scripts/apt-install.sh package...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
