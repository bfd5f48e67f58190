#!/usr/bin/env bash
# Exit codes and error paths of the varnex program.
set -uo pipefail
varnex=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$varnex" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments should exit 2"
"$varnex" chat --bogus >/dev/null 2>"$tmp/err"; [ $? -eq 2 ] || fail "bad option should exit 2"
grep -q "usage:" "$tmp/err" || fail "usage text expected"

out=$("$varnex" chat "$tmp/missing.vlf" </dev/null 2>&1); code=$?
[ $code -eq 1 ] || fail "missing brain should exit 1, got $code"
[ "$out" = "Could not open file: $tmp/missing.vlf" ] || fail "unexpected message: $out"
"$varnex" fmt "$tmp/missing.vlf" >/dev/null 2>&1; [ $? -eq 1 ] || fail "fmt of a missing brain should exit 1"

printf 'For-Mode 0,0\n  Response {hi},Just Text,{},{}\n' > "$tmp/b.vlf"
echo hello | "$varnex" chat --save "$tmp/saved.vlf" "$tmp/b.vlf" >/dev/null 2>&1 || fail "save should succeed"
"$varnex" fmt "$tmp/b.vlf" > "$tmp/fmt.vlf" || fail "fmt should succeed"
cmp -s "$tmp/saved.vlf" "$tmp/fmt.vlf" || fail "--save and fmt should write the same text"

# A save that cannot be written keeps the old file and exits 1.
mkdir "$tmp/ro"; cp "$tmp/saved.vlf" "$tmp/ro/keep.vlf"; chmod 500 "$tmp/ro"
if [ "$(id -u)" -ne 0 ]; then
  echo hello | "$varnex" chat --save "$tmp/ro/keep.vlf" "$tmp/b.vlf" >/dev/null 2>&1; [ $? -eq 1 ] || fail "failed save should exit 1"
  cmp -s "$tmp/saved.vlf" "$tmp/ro/keep.vlf" || fail "failed save must keep the old file"
fi
echo hello | "$varnex" chat --save "$tmp/nodir/x.vlf" "$tmp/b.vlf" >/dev/null 2>"$tmp/err"; code=$?
[ $code -eq 1 ] || fail "save into a missing folder should exit 1, got $code"
[ -s "$tmp/err" ] || fail "a failed save should say why"

# Saving never replaces a write-protected file (even as root), clears what
# a killed save left behind, and writes through a symbolic link, dangling or
# not, keeping the link.
cp "$tmp/saved.vlf" "$tmp/locked.vlf"; chmod 444 "$tmp/locked.vlf"; echo "mine" > "$tmp/locked.vlf.orig"
cp "$tmp/locked.vlf" "$tmp/locked.vlf.orig"
echo hello | "$varnex" chat --save "$tmp/locked.vlf" "$tmp/b.vlf" >/dev/null 2>"$tmp/err"; code=$?
[ $code -eq 1 ] || fail "saving over a write-protected file should exit 1, got $code"
grep -q "write-protected" "$tmp/err" || fail "a refused save should say the file is write-protected: $(cat "$tmp/err")"
cmp -s "$tmp/locked.vlf" "$tmp/locked.vlf.orig" || fail "a write-protected file must stay as it was"
echo "half" > "$tmp/saved.vlf.tmp-Xy12ab"
echo hello | "$varnex" chat --save "$tmp/saved.vlf" "$tmp/b.vlf" >/dev/null 2>&1 || fail "save should succeed"
[ ! -e "$tmp/saved.vlf.tmp-Xy12ab" ] || fail "the next save should remove what a killed save left"
mkdir "$tmp/real" "$tmp/links"
ln -s ../real/linked.vlf "$tmp/links/dangling.vlf"
echo hello | "$varnex" chat --save "$tmp/links/dangling.vlf" "$tmp/b.vlf" >/dev/null 2>&1 || fail "save through a dangling link should succeed"
[ -L "$tmp/links/dangling.vlf" ] || fail "saving through a dangling link must keep the link"
cmp -s "$tmp/real/linked.vlf" "$tmp/fmt.vlf" || fail "saving through a dangling link must write the file it names"
[ "$(ls "$tmp/links" "$tmp/real" | tr '\n' ' ')" = "$tmp/links: dangling.vlf  $tmp/real: linked.vlf " ] ||
  fail "a save must leave nothing else behind: $(ls "$tmp/links" "$tmp/real")"

# Log This never waits on a pipe, whatever file name the user chooses.
printf 'For-Mode 0,0\n  Response {logged},Log This,{^Input{0}},{a line}\n' > "$tmp/log.vlf"
mkfifo "$tmp/fifo"
out=$(echo "$tmp/fifo" | timeout 20 "$varnex" chat "$tmp/log.vlf" 2>&1); code=$?
[ $code -eq 0 ] || fail "logging to a pipe should be ignored, not hang (exit $code)"
[ "$out" = "$(printf '[user]: %s\n[Varnex]: logged' "$tmp/fifo")" ] || fail "unexpected output logging to a pipe: $out"

# Ctrl-C stops a long input, not the program: the next input is answered.
printf 'For-Mode 0,0\n  Fragment AND,0,0, {spin}, {}, {}\n  Response {},Task List,{},{}\n    Task {},Set Label,{a},{}\n    Task {},Assignment,{n},{^Add{^Fact{n}|1}}\n    Task {},Goto,{a},{}\nFor-Mode 0,0\n  Fragment AND,0,0, {hello}, {}, {}\n  Response {hi},Just Text,{},{}\n' > "$tmp/spin.vlf"
mkfifo "$tmp/in"
"$varnex" chat --time-limit 50 "$tmp/spin.vlf" < "$tmp/in" > "$tmp/out" 2>&1 &
pid=$!
exec 3>"$tmp/in"
echo spin >&3
# Interrupt only once the loop is running: wait for a fifth of a second of
# CPU time (field 14 of /proc/PID/stat, in clock ticks).
for _ in $(seq 300); do
  ticks=$(awk '{print $14}' "/proc/$pid/stat" 2>/dev/null || echo 0)
  [ "${ticks:-0}" -ge $(( $(getconf CLK_TCK) / 5 )) ] && break
  sleep 0.1
done
kill -INT $pid
echo hello >&3
exec 3>&-
wait $pid; code=$?
[ $code -eq 0 ] || fail "Ctrl-C during an input should not end the program (exit $code)"
[ "$(cat "$tmp/out")" = "$(printf '[user]: spin\nError: Input stopped\n[user]: hello\n[Varnex]: hi')" ] ||
  fail "unexpected output after Ctrl-C: $(cat "$tmp/out")"

# Driven line by line through pipes, each answer arrives before the next
# line is sent (output is written out whenever the program waits).
coproc CHAT { "$varnex" chat "$tmp/b.vlf" 2>&1; }
echo hello >&"${CHAT[1]}"
read -t 10 -r first <&"${CHAT[0]}" && read -t 10 -r second <&"${CHAT[0]}" ||
  fail "an answer should arrive while the program waits for the next line"
[ "$first $second" = "[user]: hello [Varnex]: hi" ] || fail "unexpected lines from a driven chat: $first / $second"
exec {CHAT[1]}>&-
wait "$CHAT_PID"

# CR LF input lines lose their CR; the answer order holds with 2>&1.
printf 'hello\r\n' | "$varnex" chat --seed 1 "$tmp/b.vlf" > "$tmp/out" 2>&1
[ "$(cat "$tmp/out")" = "$(printf '[user]: hello\n[Varnex]: hi')" ] || fail "unexpected chat output: $(cat -A "$tmp/out")"

# A directory is not a brain: a read error with a line number, not a crash.
out=$("$varnex" chat "$tmp" </dev/null 2>&1); code=$?
[ $code -eq 0 ] || fail "reading a directory should end normally, got $code"
[ "$out" = "$tmp:1: Error reading $tmp at line 1" ] || fail "unexpected message for a directory: $out"
# The word database builder and its questions.
"$varnex" worddb build >/dev/null 2>&1; [ $? -eq 2 ] || fail "worddb without operands should exit 2"
"$varnex" worddb build "$tmp/none.txt" "$tmp/db" >/dev/null 2>&1; [ $? -eq 1 ] || fail "worddb build of a missing file should exit 1"
printf 'The cat sat.\nA dog ran.\n' > "$tmp/s.txt"
"$varnex" worddb build "$tmp/s.txt" "$tmp/db" || fail "worddb build should succeed"
printf 'The cat sat.\nA dog ran.\nThe dog sat.\n' > "$tmp/s.txt"
"$varnex" worddb build "$tmp/s.txt" "$tmp/db" || fail "worddb build should succeed"
[ "$("$varnex" worddb ask "$tmp/db" "did the DOG sit? the dog sat")" = "The dog sat." ] || fail "worddb ask should prefer the sentence with most words"
echo "console CLI checks passed"
