#!/usr/bin/env bash
# Fails when an #include points up the engine's layers, or when a front end
# reaches inside the engine past its front door. The layers, bottom first:
#   platform, engine/base, engine/records, engine/template, engine/language,
#   engine/matching, engine/actions, engine/cycle, then the front door
#   (engine/varnex.h, engine/varnex_c.h and their sources, with the tools
#   of engine/tools/ that are built on the layers beside it).
# A file may include its own layer and the layers below it. The console,
# the desktop and the service (server/) may include, of the engine, only
# the front door.
# Usage: scripts/check_layers.sh [ROOT]   (default: the repository)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# The layer of a path (a file or an included name), or nothing when it is
# not part of the stack.
level() {
  case $1 in
    platform/*) echo 0 ;;
    engine/base/*) echo 1 ;;
    engine/records/*) echo 2 ;;
    engine/template/*) echo 3 ;;
    engine/language/*) echo 4 ;;
    engine/matching/*) echo 5 ;;
    engine/actions/*) echo 6 ;;
    engine/cycle/*) echo 7 ;;
    engine/*) echo 8 ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(level "$file")
  while IFS=: read -r line included; do
    [ -n "$included" ] || continue
    target=$(level "$included")
    [ -n "$target" ] || continue
    if [ -n "$own" ]; then
      if [ "$target" -gt "$own" ]; then
        echo "$file:$line: includes $included, a layer above its own"
        status=1
      fi
    elif [ "$target" -ge 1 ] && [ "$included" != engine/varnex.h ] && [ "$included" != engine/varnex_c.h ]; then
      echo "$file:$line: includes $included; front ends use only engine/varnex.h"
      status=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | sed -E 's/^([0-9]+):.*"([^"]+)".*/\1:\2/')
done < <(find platform engine console ui server -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort)

[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
