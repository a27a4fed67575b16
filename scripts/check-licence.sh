#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file (C++, CMake, shell) does not name the project's licence in one of
# its first three lines, so a new file cannot leave it out.
# Usage: scripts/check-licence.sh [source root]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
tag='SPDX-License-Identifier: GPL-3.0-or-later'
missing=0
checked=0
# Build folders and the repository's own data are not sources.
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  if ! head -n 3 "$file" | grep -qF "$tag"; then
    echo "no '$tag' line at the top of ${file#"$root"/}"
    missing=$((missing + 1))
  fi
done < <(find "$root" \( -path "$root/build*" -o -path "$root/.git" \) -prune -o -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.sh' -o -name '*.cmake' -o -name CMakeLists.txt \
  -o -path "$root/.ci/run" \) -print0)
if [ "$checked" -eq 0 ]; then echo "no source files found under $root"; exit 1; fi
[ "$missing" -eq 0 ] || exit 1
echo "licence: all $checked source files carry '$tag'"
