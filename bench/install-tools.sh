#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the outside programs the benchmarks compare against on Debian 12: libjpeg-turbo's
# djpeg and vipsthumbnail. Optional: a benchmark leaves out a baseline whose program is missing.
set -euo pipefail
packages=(libjpeg-turbo-progs libvips-tools heif-thumbnailer libheif-examples libraw-bin)
bash "$(dirname "${BASH_SOURCE[0]}")/../scripts/apt-install.sh" "${packages[@]}"
