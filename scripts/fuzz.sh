#!/usr/bin/env bash
# Long runs of the fast-path fuzzer: bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
command -v clang++ >/dev/null || apt-get install -y -qq clang libclang-rt-dev
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEX_FUZZ=ON \
  -DVARNEX_DESKTOP=OFF -DVARNEX_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fast_path_fuzzer
mkdir -p build-fuzz/corpus
./build-fuzz/tests/fast_path_fuzzer -max_total_time="${1:-60}" -max_len=4096 build-fuzz/corpus
