#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of the project is not formatted as .clang-format says.
# Usage: scripts/check-format.sh [source root]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
command -v clang-format >/dev/null || { echo "clang-format is missing: scripts/setup.sh --test installs it"; exit 77; }
cd "$root"
find base picture platform controls ui app tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror
echo "format: every file as .clang-format says"
