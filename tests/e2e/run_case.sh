#!/usr/bin/env bash
# Runs one transcript case: CASE.vlf is the brain, CASE.in the input lines,
# CASE.out the expected output of `varnex chat --seed 1` (stdout and stderr
# merged). CASE.args, when present, holds extra arguments.
set -euo pipefail
varnex=$1
case=$2
dir=$(dirname "$case")
args=()
[ -f "$case.args" ] && read -r -a args < "$case.args"
cd "$dir"
actual=$("$varnex" chat --seed 1 "${args[@]}" "$(basename "$case").vlf" < "$(basename "$case").in" 2>&1; echo "exit $?")
expected=$(cat "$(basename "$case").out")
if [ "$actual" != "$expected" ]; then
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
  exit 1
fi
