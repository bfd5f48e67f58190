#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with:
#   bash scripts/install-deps.sh [fuzz|bench]
# With "fuzz", also clang and its libFuzzer and sanitizer runtimes; with
# "bench", the HTTP load generator of bench/serve/load.sh.
# Idempotent: when everything is present it does not touch apt at all.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libedit-dev libxml2-dev
  qt6-base-dev qt6-declarative-dev qt6-speech-dev qt6-speech-flite-plugin xvfb xauth python3
  libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev zlib1g-dev libhiredis-dev redis-server curl)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi
if [ "${1:-}" = bench ]; then
  packages+=(wrk)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
