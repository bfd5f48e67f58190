#!/usr/bin/env bash
# Runs one transcript case: CASE.vlf is the brain, CASE.in the input lines,
# CASE.out the expected output of `varnex chat --seed 1` (stdout and stderr
# merged, then "exit N"). CASE.args, when present, holds extra arguments.
# The case runs in a fresh folder; in the brain and the arguments @LIB@
# stands for the tests' outside library, @WORDDB@ for the shipped word
# database and @TMP@ for the folder itself; the output is compared with
# those paths turned back into the placeholders.
set -euo pipefail
varnex=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
case=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
lib=${3:-}
worddb=${4:-}
name=$(basename "$case")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
subst() { sed -e "s|@LIB@|$lib|g" -e "s|@WORDDB@|$worddb|g" -e "s|@TMP@|$tmp|g"; }
unsubst() {
  local out
  out=$(cat)
  [ -n "$lib" ] && out=${out//"$lib"/@LIB@}
  [ -n "$worddb" ] && out=${out//"$worddb"/@WORDDB@}
  printf '%s\n' "${out//"$tmp"/@TMP@}"
}
args=()
[ -f "$case.args" ] && read -r -a args < <(subst < "$case.args")
expected=$(cat "$case.out")
status=0
for way in "" --reference; do
  # A fresh folder each time: cases may write files.
  rm -rf "${tmp:?}"/* && mkdir -p "$tmp"
  subst < "$case.vlf" > "$tmp/$name.vlf"
  cd "$tmp"
  actual=$( ("$varnex" chat --seed 1 $way "${args[@]}" "$name.vlf" < "$case.in" 2>&1; echo "exit $?") | unsubst)
  if [ "$actual" != "$expected" ]; then
    echo "${way:-indexed} way differs:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
    status=1
  fi
done
exit $status
