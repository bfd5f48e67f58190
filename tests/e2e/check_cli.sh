#!/usr/bin/env bash
# varnex check through the real program. Each brain under check/ holds
# mistakes of one kind next to look-alikes that are fine, and must give
# exactly the findings of its .expected file. The demo brain gives none;
# the transcript cases give what check/cases.expected lists (several hold
# mistakes on purpose, to show what the engine does with them) and every
# other case passes --strict. Then the exit status, JSON, and files that
# cannot be read.
# Usage: check_cli.sh VARNEX SOURCE_ROOT
set -uo pipefail
varnex=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
# Compares a command's standard output with a file of expected lines.
same_as() {
  local expected=$1
  shift
  local actual
  actual=$("$@" 2>/dev/null)
  if [ "$actual" != "$(cat "$expected")" ]; then
    fail "$* differs from $(basename "$expected"):"
    diff <(cat "$expected") <(printf '%s\n' "$actual")
  fi
}

# Paths in a brain are read from the current folder, as chat reads them.
cd "$root/tests/e2e/check" || exit 1
for brain in *.vlf; do
  same_as "${brain%.vlf}.expected" "$varnex" check "$brain"
done

out=$("$varnex" check --strict "$root/brains/demo.vlf" 2>&1); code=$?
[ $code -eq 0 ] && [ -z "$out" ] || fail "the demo brain should give nothing (exit $code): $out"

cd "$root/tests/e2e/cases" || exit 1
same_as "$root/tests/e2e/check/cases.expected" "$varnex" check *.vlf
for brain in *.vlf; do
  grep -qE "^$brain:[0-9]+: (error|warning):" "$root/tests/e2e/check/cases.expected" && continue
  "$varnex" check --strict "$brain" >/dev/null 2>&1 || fail "$brain should pass --strict"
done

# Exit status: warnings count only with --strict, notes never, errors always.
cd "$root/tests/e2e/check" || exit 1
"$varnex" check names.vlf >/dev/null 2>&1; [ $? -eq 0 ] || fail "warnings alone should exit 0"
"$varnex" check --strict names.vlf >/dev/null 2>&1; [ $? -eq 1 ] || fail "warnings with --strict should exit 1"
"$varnex" check --strict include.vlf >/dev/null 2>&1; [ $? -eq 2 ] || fail "errors should exit 2"
printf 'For-Mode 0,0\n  Response {},Action,{true},{}\n' > "$tmp/notes.vlf"
out=$("$varnex" check --strict "$tmp/notes.vlf" 2>/dev/null); code=$?
[ $code -eq 0 ] || fail "notes alone should exit 0 with --strict, got $code"
[ "$out" = "$tmp/notes.vlf:2: note: runs the program: true [runs-program]" ] || fail "unexpected note: $out"

# A brain that cannot be read is an error finding, not a crash.
out=$("$varnex" check "$tmp/missing.vlf" 2>/dev/null); code=$?
[ $code -eq 2 ] || fail "a missing brain should exit 2, got $code"
[ "$out" = "$tmp/missing.vlf:0: error: Could not open file: $tmp/missing.vlf [reader]" ] || fail "unexpected: $out"
"$varnex" check "$tmp" >/dev/null 2>&1; [ $? -eq 2 ] || fail "a folder given as a brain should exit 2"
{
  printf 'Response {\000\377^Fact{\n}}}}\nFor-Mode x,y\nFragment\nTask\nInclude {%s/junk.vlf}\n' "$tmp"
  head -c 200000 /dev/zero | tr '\0' '{'
  printf '\nResponse {^Add{^Add{|}|}^Fact{^Fact{^Fact{}}}'
} > "$tmp/junk.vlf"
timeout 20 "$varnex" check --json "$tmp/junk.vlf" >/dev/null 2>&1; code=$?
[ $code -eq 2 ] || fail "bytes that make no sense should give errors, not exit $code"

# JSON: one object per finding, strings escaped.
printf 'Include {a "quoted" \\back\tslash}\n' > "$tmp/quote.vlf"
"$varnex" check --json "$tmp/quote.vlf" > "$tmp/quote.json" 2>/dev/null
grep -qF '"message": "INCLUDE names no file: \"a \"quoted\" \\back\tslash\"; the line is skipped"' "$tmp/quote.json" ||
  fail "quotes, backslashes and tabs should be escaped: $(cat "$tmp/quote.json")"
if command -v python3 >/dev/null; then
  "$varnex" check --json names.vlf > "$tmp/names.json" 2>/dev/null
  python3 - "$tmp/names.json" "$(grep -c . names.expected)" "$tmp/quote.json" <<'EOF' || fail "JSON output is not what it should be"
import json, sys
findings = json.load(open(sys.argv[1]))
assert len(findings) == int(sys.argv[2]), len(findings)
assert all(set(f) == {"file", "line", "severity", "message", "check"} for f in findings)
assert {f["severity"] for f in findings} == {"warning", "note"}
assert findings[0] == {"file": "names.vlf", "line": 6, "severity": "warning", "check": "undefined-state",
                       "message": 'State-Match of "Sleepy": no STATE line or State Change makes that state'}
assert json.load(open(sys.argv[3]))[0]["message"].startswith('INCLUDE names no file: "a "quoted" \\back\tslash"')
EOF
fi
[ "$("$varnex" check --json --strict "$root/brains/demo.vlf")" = "[]" ] || fail "a clean brain should give []"

exit $status
