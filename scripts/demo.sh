#!/usr/bin/env bash
# Installs what is needed, builds, and starts a conversation with the demo brain.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target varnex varnex_worddb
exec ./build/console/varnex chat "$@"
