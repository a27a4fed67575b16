#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a temporary folder and checks what lands there: exactly the expected
# files, a menu entry and an AppStream file their validators pass, man pages that format
# without warnings, and programs that start.
# Usage: tests/install/check-install.sh BUILD_DIR   (exit 77 when a validator is missing)
set -euo pipefail
build="$1"
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup.sh --test installs it)"
    exit 77
  fi
done
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

id=io.github.lumivue.Lumivue
expected=(
  /usr/bin/lumivue
  /usr/bin/lumivue-picture
  /usr/share/applications/$id.desktop
  /usr/share/metainfo/$id.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/$id.svg
  /usr/share/man/man1/lumivue.1.gz
  /usr/share/man/man1/lumivue-picture.1.gz
  /usr/share/doc/lumivue/changelog.gz
  /usr/share/doc/lumivue/copyright
)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
if ! diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$dest" && find . ! -type d | sed 's|^\.||' | sort); then
  echo "FAIL: the installed files differ from the expected ones (- expected, + installed)"
  exit 1
fi
for size in 16 256; do
  file "$dest/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
    { echo "FAIL: the ${size}x${size} icon is not a PNG of that size"; exit 1; }
done

# Warnings count as failures: a validator that only warns today rejects the file tomorrow.
out="$(desktop-file-validate "$dest/usr/share/applications/$id.desktop" 2>&1)" || { echo "$out"; exit 1; }
if [ -n "$out" ]; then echo "$out"; echo "FAIL: desktop-file-validate warns"; exit 1; fi
appstreamcli validate --no-net --pedantic --explain "$dest/usr/share/metainfo/$id.metainfo.xml"

if command -v man >/dev/null; then
  for page in lumivue lumivue-picture; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$dest/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
    if [ -n "$warnings" ]; then echo "$warnings"; echo "FAIL: man page $page.1 has warnings"; exit 1; fi
  done
fi

# The installed viewer answers without a display; the tool refuses a missing file as it should.
"$dest/usr/bin/lumivue" --version | grep -qE '^lumivue [0-9]+\.[0-9]+' || { echo "FAIL: lumivue --version"; exit 1; }
# A mistake in the arguments is answered before a display is needed.
status=0
usage="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$dest/usr/bin/lumivue" --fast 2>&1)" || status=$?
[ "$status" -eq 2 ] && grep -q "^lumivue: unknown option '--fast'" <<<"$usage" ||
  { echo "FAIL: lumivue --fast without a display exited $status: $usage"; exit 1; }
status=0
"$dest/usr/bin/lumivue-picture" info "$dest/none.jpg" >/dev/null || status=$?
[ "$status" -eq 1 ] || { echo "FAIL: lumivue-picture info on a missing file exited $status, not 1"; exit 1; }
echo "install: ${#expected[@]} files in place; desktop-file-validate and appstreamcli validate pass"
