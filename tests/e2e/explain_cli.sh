#!/usr/bin/env bash
# varnex explain and the chat's colon commands through the real program:
# explain gives the scores the trace shows, changes nothing in the brain,
# and piped lines that begin with a colon stay literal unless --commands.
# Usage: explain_cli.sh VARNEX BRAIN
set -u
varnex=$1 brain=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
no() { echo "FAIL: $*"; fail=1; }

# The winner and its score, as the trace shows them and as explain does.
for input in "hello there" "what do you grow" "my name is Zed" "tell me a joke" "zzz" "water the ferns please"; do
  traced=$(printf '%s\n' "$input" | "$varnex" chat --seed 1 --trace "$brain" 2>&1 | grep -m1 '^\[Score: ' || true)
  score=$(sed -n 's/^\[Score: \(-*[0-9]*\)\]:  .*/\1/p' <<<"$traced")
  name=$(sed -n 's/^\[Score: -*[0-9]*\]:  //p' <<<"$traced")
  explained=$("$varnex" explain --seed 1 --count 1 "$brain" "$input")
  first=$(sed -n 2p <<<"$explained")
  [ -n "$score" ] || { no "no score traced for \"$input\""; continue; }
  case $first in
    "clause "*" ($name): $score" | "clause "*" ($name): $score  ->"*) ;;
    *) no "\"$input\": the trace says $name scored $score, explain says: $first" ;;
  esac
done

# A clause asked about by number: why it does not win.
out=$("$varnex" explain --seed 1 --clause '#2' "$brain" "hello there")
grep -q "^clause 2 (AskName) scores -1000, below clause 5 (Greeting) with -25.$" <<<"$out" || no "--clause: $out"
"$varnex" explain --clause NoSuchClause "$brain" "hello" >/dev/null && no "an unknown clause should fail"

# Explaining changes nothing: the brain saved after an explanation (of an
# input whose clause would extract a fact) is the brain saved without one.
printf 'hello\n:explain my name is Zed\n:why\n:save %s\n' "$dir/a.vlf" |
  "$varnex" chat --seed 1 --commands "$brain" >"$dir/a.out" 2>&1
printf 'hello\n:save %s\n' "$dir/b.vlf" | "$varnex" chat --seed 1 --commands "$brain" >"$dir/b.out" 2>&1
cmp -s "$dir/a.vlf" "$dir/b.vlf" || no "the brain changed after :explain ($(diff "$dir/a.vlf" "$dir/b.vlf" | head -5))"
grep -q "wins with" "$dir/a.out" || no ":explain printed no explanation"

# Piped, a line that begins with a colon is the brain's, unless --commands.
out=$(printf ':help\n' | "$varnex" chat --seed 1 "$brain" 2>&1)
grep -q ':explain TEXT' <<<"$out" && no "piped :help was taken as a command"
grep -q '^\[Varnex\]: ' <<<"$(tail -n +3 <<<"$out")" || no "piped :help got no answer from the brain"
out=$(printf '::hello\n:quit\nhello\n' | "$varnex" chat --seed 1 --commands "$brain" 2>&1)
grep -q '^\[Varnex\]: Hello there' <<<"$out" || no "::hello should reach the brain as :hello"
[ "$(grep -c '^\[user\]: hello$' <<<"$out")" = 0 ] || no ":quit should end the conversation"

# Reader messages carry their file and line.
printf 'For-Mode 0,0\nResponse {x},Just Text,{},{}\nEnd-Collection\nResponse {y},Just Text,{},{}\n' >"$dir/bad.vlf"
out=$(printf '' | "$varnex" chat "$dir/bad.vlf" 2>&1)
grep -qF "$dir/bad.vlf:4: Mode Error In Line 4" <<<"$out" || no "reader message without its place: $out"

# Help, version and bad arguments.
"$varnex" --help | grep -q '^usage: varnex chat' || no "--help"
"$varnex" chat -h >/dev/null || no "chat -h should exit 0"
"$varnex" --version | grep -q '^varnex [0-9]' || no "--version"
err=$("$varnex" chat --seed x 2>&1 >/dev/null); code=$?
[ "$code" = 2 ] || no "a bad argument should exit 2, not $code"
grep -q '^varnex: --seed: "x" is not a whole number$' <<<"$err" || no "bad argument message: $err"

exit $fail
