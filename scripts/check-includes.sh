#!/usr/bin/env bash
# Fails when a file includes a header of a layer that may not depend on it. A layer may
# include its own headers and those of the layers it builds on:
#   base < picture < platform < controls < ui < app;  tools builds on picture (and base) alone.
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
[ "$bad" -eq 0 ] && echo "includes: every layer includes only itself and the layers below it"
exit "$bad"
