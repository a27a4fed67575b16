#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file includes a header of a layer that may not depend on it. A layer may
# include its own headers and those of the layers it builds on:
#   base < picture < platform < controls < ui < app;  tools builds on picture (and base) alone.
# Inside ui/: common < print < dialogs < details < slideshow < search < save < fullscreen < zoom < browser (the main
# window, which nothing includes). No include climbs out of its folder with "../".
# Usage: scripts/check-includes.sh [source root]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
declare -A allowed=(
  [base]="base"
  [picture]="picture base"
  [platform]="platform base"
  [controls]="controls platform picture base"
  [ui]="ui controls platform picture base"
  [app]="app ui controls platform picture base"
  [tools]="tools picture base"
)
bad=0
for layer in "${!allowed[@]}"; do
  [ -d "$root/$layer" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"/]+)\/.*/\1/' <<<"$text")
    case " base picture platform controls ui app tools " in
      *" $target "*) ;;
      *) continue ;; # a header of the same folder or a system header
    esac
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *) echo "${file#$root/}:$line: the $layer layer includes a $target header: $text"; bad=1 ;;
    esac
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+/' "$root/$layer" --include='*.h' --include='*.cpp' --include='*.c' || true)
done
# Inside the windows' layer: the shared pieces at the bottom, each window's folder above the
# ones it opens, the main window's folder at the top, which nothing else includes.
ui_order=(common print dialogs details slideshow search save fullscreen zoom browser)
for ((i = 0; i < ${#ui_order[@]}; i++)); do
  folder=${ui_order[$i]}
  [ -d "$root/ui/$folder" ] || continue
  below=" ${ui_order[*]:0:$((i + 1))} "
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"ui\/([^"/]+)\/.*/\1/' <<<"$text")
    case "$below" in
      *" $target "*) ;;
      *) echo "${file#$root/}:$line: ui/$folder includes ui/$target, which stands above it: $text"; bad=1 ;;
    esac
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"ui/' "$root/ui/$folder" --include='*.h' --include='*.cpp' || true)
done
# A header is named from its layer's folder, never by climbing out of the including file's.
while IFS= read -r hit; do
  echo "${hit#$root/}: an include that climbs out of its folder"
  bad=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]*/)?\.\./' "$root" --include='*.h' --include='*.cpp' --include='*.c' \
           --exclude-dir=build --exclude-dir=.git || true)
[ "$bad" -eq 0 ] && echo "includes: every layer includes only itself and the layers below it"
exit "$bad"
