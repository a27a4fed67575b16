#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs from Debian 12 what building and running the programs need (run as root, or with
# sudo available); with --test also what the tests, the checks and the package's checks use.
# Usage: scripts/setup.sh [--test]
set -euo pipefail
build=(
  build-essential cmake ninja-build pkg-config dpkg-dev file
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libqt6svg6
  libjpeg62-turbo-dev libturbojpeg0-dev libexif-dev libspng-dev libgif-dev zlib1g-dev libwebp-dev
  libtiff-dev libheif-dev libjxl-dev libraw-dev liblcms2-dev libxcb1-dev libcups2-dev
  librsvg2-bin qt6-tools-dev qt6-l10n-tools
)
test=(
  libjpeg-turbo-progs webp libtiff-tools imagemagick libheif-examples libjxl-tools libraw-bin
  xvfb xauth x11-utils xclip xdotool openbox fonts-dejavu-core
  clang clang-format clang-tidy libclang-rt-14-dev ccache
  desktop-file-utils appstream lintian man-db
  poppler-utils cups printer-driver-cups-pdf trash-cli dbus-daemon libglib2.0-bin
  qt6-translations-l10n locales
)
case "${1:-}" in
  "") packages=("${build[@]}") ;;
  --test) packages=("${build[@]}" "${test[@]}") ;;
  *) echo "usage: scripts/setup.sh [--test]" >&2; exit 2 ;;
esac
bash "$(dirname "${BASH_SOURCE[0]}")/apt-install.sh" "${packages[@]}"
# The translation test runs under a German locale.
if [ "${1:-}" = "--test" ] && ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
