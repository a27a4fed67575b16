#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root, or with sudo available).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libqt6svg6
  libjpeg62-turbo-dev libturbojpeg0-dev libjpeg-turbo-progs libexif-dev libspng-dev libgif-dev zlib1g-dev
  libwebp-dev webp libtiff-dev libtiff-tools libheif-dev libheif-examples libjxl-dev libjxl-tools libraw-dev libraw-bin
  xvfb xauth x11-utils xclip openbox imagemagick fonts-dejavu-core
  clang clang-format clang-tidy libclang-rt-14-dev ccache
  librsvg2-bin desktop-file-utils appstream dpkg-dev file
  poppler-utils cups printer-driver-cups-pdf
)
bash "$(dirname "${BASH_SOURCE[0]}")/apt-install.sh" "${packages[@]}"
