#!/usr/bin/env bash
# Installs what is needed, builds, and starts a conversation with the demo
# brain: in the desktop program when a display is available, in the console
# otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build build --target varnex-desktop varnex_worddb
  exec ./build/ui/varnex-desktop --words build/brains/worddb/ brains/demo.vlf
fi
cmake --build build --target varnex varnex_worddb
exec ./build/console/varnex chat "$@"
