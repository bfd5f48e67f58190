#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a while:
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
# SECONDS per target (default 60); targets: fast_path langfile_roundtrip
# expand_tags input_cycle check (default all). Each target's working corpus grows
# in build-fuzz/corpus/TARGET across runs; tests/fuzz/corpus/TARGET (seeds)
# and tests/fuzz/regressions/TARGET (inputs that once failed) are read,
# never written. An input that crashes, trips a sanitizer, leaks, breaks the
# target's invariant or runs past the timeout is saved in
# build-fuzz/findings/TARGET and the script fails; copy it to
# tests/fuzz/regressions/TARGET once fixed, so that ctest replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fast_path langfile_roundtrip expand_tags input_cycle check)

bash scripts/install-deps.sh fuzz
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEX_FUZZ=ON \
  -DVARNEX_DESKTOP=OFF -DVARNEX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

failed=()
for t in "${targets[@]}"; do
  work=$root/build-fuzz/corpus/$t
  findings=$root/build-fuzz/findings/$t
  log=$root/build-fuzz/$t.log
  mkdir -p "$work" "$findings" "$root/tests/fuzz/regressions/$t"
  echo "fuzzing $t for ${seconds}s"
  # Paths are absolute: a target works inside scratch folders of its own.
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$root/build-fuzz/tests/${t}_fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
      -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 -dict="$root/tests/fuzz/language.dict" \
      "$work" "$root/tests/fuzz/corpus/$t" "$root/tests/fuzz/regressions/$t" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" | tr '\n' ' '
    echo
  else
    echo "FINDING in $t (inputs in $findings):"
    tail -n 80 "$log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}"
  exit 1
fi
