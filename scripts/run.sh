#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds a release build and starts the viewer in the current folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVUE_TESTS=OFF
cmake --build "$here/build/release" -j2 --target lumivue
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window can open." >&2
  echo "To run the viewer on a virtual display, start it under xvfb-run:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' $here/build/release/lumivue" >&2
  exit 1
fi
exec "$here/build/release/lumivue"
