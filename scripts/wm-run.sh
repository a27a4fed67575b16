#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on the X display in DISPLAY with a window manager (openbox) managing its
# windows, as on a desktop: framing, maximising and focus are the window manager's doing.
# Started by ctest inside xvfb-run. Exits 77 (skipped) when openbox is missing.
set -euo pipefail
command -v openbox >/dev/null || { echo "openbox is missing: scripts/setup.sh --test installs it"; exit 77; }
config=$(mktemp -d)
wm=
trap '[ -n "$wm" ] && kill "$wm" 2>/dev/null; wait 2>/dev/null; rm -rf "$config"' EXIT
# Ready once it has named itself on the root window; on a loaded machine that can take a
# while, and a start that does not get there is tried again.
ready=0
for attempt in 1 2 3; do
  XDG_CONFIG_HOME="$config" XDG_CACHE_HOME="$config" openbox --sm-disable >>"$config/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then ready=1; break; fi
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.05
  done
  [ "$ready" -eq 1 ] && break
  kill "$wm" 2>/dev/null || true
  wait "$wm" 2>/dev/null || true
done
if [ "$ready" -ne 1 ]; then
  echo "openbox did not start on $DISPLAY:"
  cat "$config/openbox.log"
  exit 1
fi
"$@"
