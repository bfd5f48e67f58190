#!/usr/bin/env bash
# Starts the real desktop program under a virtual display, opens the demo
# brain, converses, opens each window and saves a picture of each into
# BUILD/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out="$build/screenshots"
rm -rf "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/ui/varnex-desktop" --tour "$out" --words "$build/brains/worddb/" brains/demo.vlf
for f in main-window knowledge-tree trace editor function-keys; do
  [ -s "$out/$f.png" ] || { echo "missing screenshot: $f.png"; exit 1; }
done
echo "screenshots in $out"
