#!/usr/bin/env bash
# varnex import aiml through the real program.
#
# Each NAME.txt in the AIML folder is a transcript of NAME.aiml: the answers
# an AIML interpreter gives, written from AIML's rules. NAME.aiml is
# imported (with the arguments of a "#import:" line of the transcript, file
# names taken in the folder), the brain must be a fixed point of
# `varnex fmt`, and `varnex chat --seed 1` is given the inputs:
#
#   > an input
#   < the answer (nothing after "<": no answer)
#   <| one answer || or another (a <random>)
#   <! AIML's answer, which the brain is known not to give (docs/aiml.md)
#
# Every "<" and "<|" answer must be given; the share of all answers given
# is the agreement, printed at the end. Then: the report of a construct
# that cannot be converted, malformed XML, a brain never half written.
# Usage: import_aiml.sh VARNEX AIML_FOLDER
set -u
varnex=$1 aiml=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
no() { echo "FAIL: $*"; fail=1; }

agreed=0 total=0
for transcript in "$aiml"/*.txt; do
  name=$(basename "$transcript" .txt)
  [ -f "$aiml/$name.aiml" ] || continue
  args=()
  if line=$(grep -m1 '^#import:' "$transcript"); then
    for a in ${line#\#import:}; do
      if [ -e "$aiml/$a" ]; then args+=("$aiml/$a"); else args+=("$a"); fi
    done
  fi
  brain=$tmp/$name.vlf
  if ! "$varnex" import aiml "$aiml/$name.aiml" "${args[@]}" -o "$brain" >"$tmp/$name.import" 2>&1; then
    no "$name: import failed: $(cat "$tmp/$name.import")"
    continue
  fi
  "$varnex" fmt "$brain" >"$tmp/$name.fmt" 2>"$tmp/$name.fmterr"
  cmp -s "$brain" "$tmp/$name.fmt" || no "$name: the brain is not a fixed point of varnex fmt"
  [ -s "$tmp/$name.fmterr" ] && no "$name: reader messages: $(head -3 "$tmp/$name.fmterr")"
  # The checker finds nothing in an imported brain: no reader message, and
  # none of the warnings that would bury a user's own mistakes.
  "$varnex" check --strict "$brain" >"$tmp/$name.check" 2>&1 || no "$name: varnex check: $(head -3 "$tmp/$name.check")"
  grep '^> ' "$transcript" | cut -c3- >"$tmp/$name.in"
  "$varnex" chat --seed 1 "$brain" <"$tmp/$name.in" >"$tmp/$name.out" 2>&1
  # The answers, one line per input: what follows each "[user]: " line.
  awk '/^\[user\]: /{ if (n++) print a; a=""; next }
       /^\[Varnex\]: /{ sub(/^\[Varnex\]: /, ""); a = (a == "" ? $0 : a " / " $0); next }
       { a = a " [" $0 "]" }
       END { if (n) print a }' "$tmp/$name.out" >"$tmp/$name.answers"
  mapfile -t answers <"$tmp/$name.answers"
  mapfile -t inputs <"$tmp/$name.in"
  i=-1 mine=0 of=0
  while IFS= read -r l; do
    case $l in
      '> '*) i=$((i + 1)); continue ;;
      '<|'*) kind=any; want=${l#<|} ;;
      '<!'*) kind=known; want=${l#<!} ;;
      '<'*) kind=exact; want=${l#<} ;;
      *) continue ;;
    esac
    want=${want# }
    got=${answers[$i]:-}
    ok=0
    if [ "$kind" = any ]; then
      rest=$want
      while :; do
        alt=${rest%% || *}
        [ "$got" = "$alt" ] && ok=1
        [ "$rest" = "$alt" ] && break
        rest=${rest#* || }
      done
    elif [ "$got" = "$want" ]; then
      ok=1
    fi
    of=$((of + 1)) mine=$((mine + ok))
    if [ $ok -eq 0 ] && [ "$kind" != known ]; then
      no "$name: \"${inputs[$i]}\": expected \"$want\", got \"$got\""
    fi
  done <"$transcript"
  echo "$name: $mine of $of answers as AIML gives them"
  agreed=$((agreed + mine)) total=$((total + of))
done
[ $total -gt 0 ] || no "no transcripts in $aiml"
echo "agreement: $agreed of $total answers ($((agreed * 1000 / (total > 0 ? total : 1))) per mille)"

# A category that cannot be converted is in the report, with its file and
# line, and not in the brain; the others are.
"$varnex" import aiml "$aiml/skipped.aiml" -o "$tmp/skipped.vlf" --report "$tmp/report.txt" >"$tmp/summary" 2>&1 ||
  no "skipped.aiml: the import should succeed: $(cat "$tmp/summary")"
grep -q '^  system  *1$' "$tmp/report.txt" || no "report: no count for <system>: $(cat "$tmp/report.txt")"
grep -q '^  javascript  *1$' "$tmp/report.txt" || no "report: no count for <javascript>"
grep -q "skipped.aiml:6: skipped: <system>" "$tmp/report.txt" || no "report: <system> without file and line"
grep -q "skipped.aiml:9: skipped: <javascript>" "$tmp/report.txt" || no "report: <javascript> without file and line"
grep -q 'categories: 5 read, 3 converted' "$tmp/report.txt" || no "report: wrong counts: $(head -2 "$tmp/report.txt")"
grep -q "whole report is in" "$tmp/summary" || no "the summary does not point to the report"
grep -qi 'rm -rf\|alert' "$tmp/skipped.vlf" && no "a skipped category is in the brain"
grep -q 'Still here' "$tmp/skipped.vlf" || no "a converted category is missing from the brain"

# Malformed XML: the parser's message with file and line; nothing written,
# and a brain already there is left as it was.
printf 'old brain\n' >"$tmp/kept.vlf"
out=$("$varnex" import aiml "$aiml/malformed.xml" -o "$tmp/kept.vlf" 2>&1); code=$?
[ $code -eq 1 ] || no "malformed XML: exit $code, not 1"
grep -q "malformed.xml:5: not read: Opening and ending tag mismatch" <<<"$out" || no "malformed XML: $out"
grep -q "nothing written" <<<"$out" || no "malformed XML: no word that nothing was written"
[ "$(cat "$tmp/kept.vlf")" = "old brain" ] || no "a failed import changed the brain already there"
ls "$tmp" | grep -q '\.tmp' && no "a temporary file was left beside the brain"
# Beside a good file, a malformed one is reported and the rest imported.
"$varnex" import aiml "$aiml/malformed.xml" "$aiml/skipped.aiml" -o "$tmp/both.vlf" >"$tmp/both.out" 2>&1 ||
  no "a malformed file beside a good one should not stop the import"
grep -q "malformed.xml:5" "$tmp/both.out" || no "the malformed file beside a good one is not reported"

# Deep nesting and a file that is not AIML end with a message, not a crash.
{
  printf '<aiml><category><pattern>DEEP</pattern><template>'
  for _ in $(seq 3000); do printf '<b>'; done
  printf 'x'
  for _ in $(seq 3000); do printf '</b>'; done
  printf '</template></category></aiml>\n'
} >"$tmp/deep.aiml"
out=$("$varnex" import aiml "$tmp/deep.aiml" -o "$tmp/deep.vlf" 2>&1); code=$?
[ $code -eq 1 ] && grep -q "deep.aiml:1: not read:" <<<"$out" || no "deep nesting: exit $code: $out"
printf '<html><body>no</body></html>\n' >"$tmp/page.aiml"
out=$("$varnex" import aiml "$tmp/page.aiml" -o "$tmp/page.vlf" 2>&1)
grep -q "the root element is <html>, not <aiml>" <<<"$out" || no "not AIML: $out"

# Folders are read with their sets and maps; bot properties from a file.
mkdir -p "$tmp/set/sets"
cp "$aiml/sets_maps.aiml" "$tmp/set/"
cp "$aiml/colour.set" "$tmp/set/sets/colour.txt"
cp "$aiml/capital.map" "$tmp/set/"
printf 'name:Robin\n# a comment\nmaster = Alex\n' >"$tmp/bot.txt"
"$varnex" import aiml "$tmp/set" --bot-properties "$tmp/bot.txt" -o "$tmp/set.vlf" >"$tmp/set.out" 2>&1 ||
  no "a folder: $(cat "$tmp/set.out")"
printf 'is red a colour\nwhat is the capital of france\n' | "$varnex" chat --seed 1 "$tmp/set.vlf" >"$tmp/set.chat"
grep -q '^\[Varnex\]: Yes, red is a colour.$' "$tmp/set.chat" || no "a set from a folder: $(cat "$tmp/set.chat")"
grep -q '^\[Varnex\]: Paris.$' "$tmp/set.chat" || no "a map from a folder: $(cat "$tmp/set.chat")"
grep -q '^Fact {bot.master} = {Alex}' "$tmp/set.vlf" || no "bot properties from a file"

# Arguments.
"$varnex" import aiml "$aiml/skipped.aiml" >/dev/null 2>"$tmp/err"; [ $? -eq 2 ] || no "no -o should exit 2"
grep -q "needs -o BRAIN" "$tmp/err" || no "no -o: $(cat "$tmp/err")"
"$varnex" import yaml x -o y >/dev/null 2>"$tmp/err"; [ $? -eq 2 ] || no "an unknown format should exit 2"
"$varnex" import aiml --bot nonsense x -o y >/dev/null 2>"$tmp/err"; [ $? -eq 2 ] || no "--bot without = should exit 2"
"$varnex" import aiml "$tmp/none.aiml" -o "$tmp/none.vlf" >/dev/null 2>"$tmp/err"; [ $? -eq 1 ] || no "a missing input should exit 1"
grep -q "none.aiml: no such file or folder" "$tmp/err" || no "a missing input: $(cat "$tmp/err")"

[ $fail -eq 0 ] && echo "import aiml: all passed"
exit $fail
