#!/usr/bin/env bash
# Runs a command on the X display in DISPLAY with a window manager (openbox) managing its
# windows, as on a desktop: framing, maximising and focus are the window manager's doing.
# Started by ctest inside xvfb-run. Exits 77 (skipped) when openbox is missing.
set -euo pipefail
command -v openbox >/dev/null || { echo "openbox is missing: scripts/setup.sh installs it"; exit 77; }
config=$(mktemp -d)
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# Ready once it has named itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
"$@"
