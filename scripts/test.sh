#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test twice: once in an
# optimised build with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Then fuzzes each libFuzzer target for a minute
# (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
bash scripts/check_layers.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEX_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
bash scripts/screenshots.sh build
cmake --install build --prefix "$PWD/build/install-check" >/dev/null

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNEX_WERROR=ON -DVARNEX_SANITIZE=ON -DVARNEX_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

start=$SECONDS
bash scripts/fuzz.sh 60
echo "fuzzing took $((SECONDS - start))s"
