#!/usr/bin/env bash
# Side by side with a peer: the same rule set and inputs answered by
# RiveScript for JavaScript and by `varnex chat`, with the replies checked,
# and the time per reply and to load compared. RiveScript is installed from
# the npm registry into a temporary folder; nothing is kept.
#   bash bench/peers/run.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
varnex="$build/console/varnex"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "installing rivescript into $work ..."
(cd "$work" && npm init -y >/dev/null && npm install --silent --no-audit --no-fund rivescript@2 >/dev/null)
cp "$here/rivescript_bench.js" "$work/"


printf '%-8s %14s %14s %10s %14s %14s %10s\n' rules "rs load s" "varnex load s" "load x" "rs reply s" "varnex reply s" "reply x"
for rules in 1000 10000 50000; do
  python3 - "$work" "$rules" <<'PY'
import random, sys
work, n = sys.argv[1], int(sys.argv[2])
def word(k):
    w = "w"
    while True:
        w += chr(97 + k % 26); k //= 26
        if k == 0: return w
with open(f"{work}/rules.rive", "w") as rive, open(f"{work}/brain.vlf", "w") as vlf:
    rive.write("! version = 2.0\n\n")
    for i in range(n):
        a, b = word(2 * i), word(2 * i + 1)
        rive.write(f"+ [*] {a} [*] {b} [*]\n- Answer {i}\n\n")
        vlf.write(f"For-Mode 10,5\n  Fragment AND,0,0, {{{a}}}, {{}}, {{}}\n  Fragment AND,0,0, {{{b}}}, {{}}, {{}}\n  Response {{Answer {i}}},Just Text,{{}},{{}}\n\n")
rng = random.Random(7)
reps = {1000: 20, 10000: 8, 50000: 3}[n]
with open(f"{work}/inputs.txt", "w") as inp, open(f"{work}/expected.txt", "w") as exp:
    for _ in range(reps):
        t = rng.randrange(n)
        words = [f"filler{chr(97 + rng.randrange(26))}" for _ in range(rng.randrange(2, 10))]
        words.insert(rng.randrange(len(words) + 1), word(2 * t))
        words.append(word(2 * t + 1))
        inp.write(" ".join(words) + "\n"); exp.write(f"Answer {t}\n")
# Our program answers many more inputs, so that its time per reply is measurable.
with open(f"{work}/inputs.txt") as f: lines = f.read().splitlines()
with open(f"{work}/expected.txt") as f: answers = f.read().splitlines()
with open(f"{work}/many.txt", "w") as m, open(f"{work}/many_expected.txt", "w") as e:
    for k in range(20000):
        m.write(lines[k % len(lines)] + "\n"); e.write(answers[k % len(answers)] + "\n")
PY
  read -r rs_load rs_reply < <(cd "$work" && node rivescript_bench.js rules.rive inputs.txt expected.txt)
  python3 - "$varnex" "$work" "$rules" "$rs_load" "$rs_reply" <<'PY'
import subprocess, sys, time
varnex, work, rules, rs_load, rs_reply = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4]), float(sys.argv[5])
def run(inputs):
    with open(inputs) as stdin:
        t = time.perf_counter()
        out = subprocess.run([varnex, "chat", f"{work}/brain.vlf"], stdin=stdin, capture_output=True, text=True).stdout
        return time.perf_counter() - t, out
# Load: the whole program (start, read, stop) with no input, best of five.
load = min(run("/dev/null")[0] for _ in range(5))
# Replies: the extra time that 20,000 inputs take, checked one by one.
many, out = run(f"{work}/many.txt")
replies = [l[len("[Varnex]: "):] for l in out.splitlines() if l.startswith("[Varnex]: ")]
if replies != open(f"{work}/many_expected.txt").read().splitlines():
    sys.exit(f"varnex gave unexpected replies at {rules} rules")
reply = max(many - load, 1e-9) / 20000
print(f"{rules:<8} {rs_load:14.4f} {load:14.4f} {rs_load / load:10.1f} {rs_reply:14.6f} {reply:14.9f} {rs_reply / reply:10.0f}")
PY
done
