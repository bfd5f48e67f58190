#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with:
#   bash scripts/install-deps.sh [fuzz]
# With "fuzz", also clang and its libFuzzer and sanitizer runtimes.
# Idempotent: when everything is present it does not touch apt at all.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libedit-dev libxml2-dev
  qt6-base-dev qt6-declarative-dev qt6-speech-dev qt6-speech-flite-plugin xvfb xauth python3)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
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
