#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a configured and built tree and checks that its dependencies
# name the runtime packages of the libraries the programs link against, then runs lintian on it.
# Usage: scripts/package.sh [BUILD_DIR] [PACKAGE_DIR]; prints the package's path last.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build/test}"
out="${2:-$here/build/package}"
rm -rf "$out/_CPack_Packages"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null 2>"$out/cpack.log" || { cat "$out/cpack.log" >&2; exit 1; }
deb="$(ls -t "$out"/lumivue_*.deb)"
deb="${deb%%$'\n'*}" # the newest
depends="$(dpkg-deb -f "$deb" Depends)"
echo "$(basename "$deb"): Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo libc6; do
  if ! grep -qE "(^|, )$needed( |,|$)" <<<"$depends"; then
    echo "the package does not depend on $needed" >&2
    exit 1
  fi
done
contents="$(dpkg-deb -c "$deb")"
for file in bin/lumivue bin/lumivue-picture share/applications/io.github.lumivue.Lumivue.desktop; do
  grep -q "\./usr/$file\$" <<<"$contents" || { echo "the package holds no /usr/$file" >&2; exit 1; }
done
# What a distribution checks first: lintian, with no error and no warning (infos are allowed).
command -v lintian >/dev/null || { echo "lintian is missing: scripts/setup.sh --test installs it" >&2; exit 1; }
lintian --fail-on error,warning "$deb" >&2 ||
  { echo "lintian finds errors or warnings in $(basename "$deb")" >&2; exit 1; }
echo "$deb"
