#!/usr/bin/env bash
# varnex test through the real program: transcripts that pass and fail, the
# failure report, --update, --junit, --coverage, bad transcripts and brains,
# and the transcript shipped with the demo brain.
# Usage: transcript_cli.sh VARNEX TRANSCRIPTS_FOLDER
set -uo pipefail
varnex=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cases=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp "$cases"/* "$tmp"/
cd "$tmp"

# expect CODE EXPECTED_STDOUT ARGS...: runs varnex test, standard error to $tmp/err.
expect() {
  local code=$1 want=$2 out got
  shift 2
  out=$(timeout 60 "$varnex" test "$@" 2>"$tmp/err"); got=$?
  [ $got -eq "$code" ] || fail "varnex test $* exited $got, not $code: $out $(cat "$tmp/err")"
  [ "$out" = "$want" ] || fail "varnex test $* printed:
$out
--- instead of:
$want"
}

expect 0 "PASS passing.test
1 passed, 0 failed" passing.test

failing_report='FAIL failing.test
failing.test:4: > hello
  - Hello, stranger!
  + Hello, gardener!
  answered by mode Default clause 2 (Greet), score 100
failing.test:10: > roll
  - ~ You rolled a [23]\.
  + You rolled a 1.
  answered by mode Default clause 5 (Dice), score 100
failing.test:12: > hush
  - Shh.
  + (no answer)
  answered by mode Default clause 4 (Hush), score 100
failing.test:14: > what <is> this & that?
  - (no answer)
  + Pardon?
  answered by mode Default clause 7 (Fallback), score -50'
expect 1 "$failing_report
0 passed, 1 failed" failing.test
expect 1 "$failing_report
0 passed, 1 failed" --reference failing.test

# JUnit: one test case per transcript, the report escaped, written whole.
mkdir out
expect 1 "PASS passing.test
$failing_report
1 passed, 1 failed" --junit out/report.xml passing.test failing.test
python3 - out/report.xml <<'EOF' || fail "bad JUnit report: $(cat out/report.xml)"
import sys, xml.dom.minidom
doc = xml.dom.minidom.parse(sys.argv[1])
suite = doc.getElementsByTagName("testsuite")[0]
assert suite.getAttribute("tests") == "2" and suite.getAttribute("failures") == "1", suite.toxml()
cases = {c.getAttribute("name"): c for c in doc.getElementsByTagName("testcase")}
assert not cases["passing.test"].getElementsByTagName("failure")
failure = cases["failing.test"].getElementsByTagName("failure")[0]
assert failure.getAttribute("message") == "4 failures, the first at line 4", failure.getAttribute("message")
assert "failing.test:14: > what <is> this & that?\n  - (no answer)\n  + Pardon?" in failure.firstChild.data
EOF
[ "$(ls out)" = "report.xml" ] || fail "the report should be written alone: $(ls out)"
# A report that cannot be written is an error of its own.
expect 2 "PASS passing.test
1 passed, 0 failed" --junit nowhere/report.xml passing.test
grep -q "cannot write the JUnit report: nowhere/report.xml" err || fail "unwritable report: $(cat err)"

# --update: passing files stay as they were; failing ones get the actual
# answers, keeping comments and the patterns that still match, and pass.
cp passing.test before.test
expect 0 "PASS passing.test
1 passed, 0 failed" --update passing.test
cmp -s passing.test before.test || fail "--update must not touch a passing transcript"
expect 0 "UPDATED failing.test
0 passed, 0 failed, 1 updated" --update failing.test
[ "$(cat failing.test)" = '# brain greeter.vlf
# seed 1
Ready.
> hello
Hello, gardener!
> count
One
~ T.o
# The pattern is wrong: --update replaces it.
> roll
You rolled a 1.
> hush
(no answer)
> what <is> this & that?
Pardon?' ] || fail "unexpected update: $(cat failing.test)"
expect 0 "PASS failing.test
1 passed, 0 failed" failing.test
[ -z "$(ls | grep tmp-)" ] || fail "an update must leave no temporary file: $(ls)"

# A transcript of inputs alone is filled in; its seed decides the answers.
expect 0 "UPDATED seeded.test
0 passed, 0 failed, 1 updated" --update seeded.test
[ "$(grep -c '^You rolled a [123]\.$' seeded.test)" -eq 5 ] || fail "five rolls expected: $(cat seeded.test)"
expect 0 "PASS seeded.test
1 passed, 0 failed" seeded.test
sed -i 's/# seed 7/# seed 8/' seeded.test
"$varnex" test seeded.test >/dev/null 2>&1; [ $? -eq 1 ] || fail "another seed should roll other numbers"

# A write-protected transcript is not updated.
cp "$cases/failing.test" locked.test; chmod 444 locked.test
"$varnex" test --update locked.test > out.txt 2>&1; code=$?
[ $code -eq 1 ] || fail "a write-protected transcript should still fail, exit $code"
grep -q "not updated: locked.test: the file is write-protected" out.txt || fail "no reason given: $(cat out.txt)"
cmp -s locked.test "$cases/failing.test" || fail "a write-protected transcript must stay as it was"

# Through a symbolic link the brain is found beside the file it names,
# which is updated in place of the link.
mkdir linked; ln -s ../locked.test linked/link.test; chmod 644 locked.test
"$varnex" test --update linked/link.test >/dev/null 2>&1 || fail "a linked transcript should update"
[ -L linked/link.test ] && grep -q "^Hello, gardener!$" locked.test || fail "the link should stay and its file change"

# Coverage, added up over the transcripts that use the same brain.
cp "$cases/failing.test" failing.test
expect 1 "PASS passing.test
$failing_report
Coverage of greeter.vlf (2 transcripts)
  Mode Default: 6 of 7 clauses (86%), 7 of 9 responses (78%)
    not reached: clause 5 (Dice), response 2: You rolled a 2.
    not reached: clause 6 (Magic)
1 passed, 1 failed" --coverage passing.test failing.test

# Bad transcripts and brains: FILE:LINE and a message, exit 2, and the
# other transcripts still run. Nothing waits on a pipe.
cp bad_regex.test keep.test
expect 2 "ERROR bad_regex.test
PASS passing.test
ERROR missing_brain.test
1 passed, 0 failed, 2 could not run" --update bad_regex.test passing.test missing_brain.test
# (The regular expression library words the reason its own way.)
[ "$(sed 's/"You rolled a (1": .*/"You rolled a (1": .../' err)" = 'bad_regex.test:3: bad regular expression "You rolled a (1": ...
missing_brain.test:2: Could not open file: no/such.vlf' ] || fail "unexpected messages: $(cat err)"
cmp -s bad_regex.test keep.test || fail "--update must not touch a transcript it cannot read"
mkfifo pipe.test; mkdir folder.test
expect 2 "ERROR pipe.test
ERROR folder.test
ERROR absent.test
ERROR greeter.vlf
0 passed, 0 failed, 4 could not run" pipe.test folder.test absent.test greeter.vlf
[ "$(cat err)" = 'pipe.test: not a plain file
folder.test: not a plain file
absent.test: No such file or directory
greeter.vlf: this is a brain, not a transcript' ] || fail "unexpected messages: $(cat err)"
printf '> hi\n# seed 3\n' > late.test
expect 2 "ERROR late.test
0 passed, 0 failed, 1 could not run" late.test
[ "$(cat err)" = "late.test:2: # seed must come before the first input" ] || fail "unexpected message: $(cat err)"

# A brain with reader messages fails, and says where.
expect 1 "FAIL broken_brain.test
broken_brain.test:1: the brain broken.vlf did not read cleanly:
  broken.vlf:1: Mode Error In Line 1
  broken.vlf:1:   Response {stray},Just Text,{},{}
0 passed, 1 failed" broken_brain.test

# The brain's path is taken from the transcript's folder, wherever it runs.
cd /
"$varnex" test "$tmp/passing.test" >/dev/null 2>&1 || fail "a transcript run from another folder should pass"
"$varnex" test >/dev/null 2>&1; [ $? -eq 2 ] || fail "test without transcripts should exit 2"

# The transcript shipped with the demo brain passes, both ways of answering.
demo=$cases/../../../brains/demo.test
"$varnex" test "$demo" > "$tmp/out.txt" 2>&1 || fail "the demo transcript should pass: $(cat "$tmp/out.txt")"
"$varnex" test --reference "$demo" > "$tmp/out.txt" 2>&1 || fail "the demo transcript should pass: $(cat "$tmp/out.txt")"
echo "transcript_cli: all passed"
