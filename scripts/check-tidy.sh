#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy as .clang-tidy says over the program's files (not the tests, benchmarks or
# fuzz targets), with the compile commands of a build that has run. Fails on any finding.
# Usage: scripts/check-tidy.sh BUILD_FOLDER
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:?usage: check-tidy.sh BUILD_FOLDER}" && pwd)"
command -v clang-tidy >/dev/null || { echo "clang-tidy is missing: scripts/setup.sh --test installs it"; exit 1; }
[ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build"; exit 1; }
cd "$root"
if find base picture platform controls ui app tools -name '*.cpp' -print0 |
  xargs -0 -P2 -n8 clang-tidy -p "$build" --quiet 2>/dev/null; then
  echo "tidy: no findings"
else
  echo "tidy: findings above"
  exit 1
fi
