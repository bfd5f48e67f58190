#!/usr/bin/env python3
"""Hot reload of a large brain while varnex serve is under load: users keep
sending inputs while the brain file is replaced and read again (by SIGHUP
and by request), and no request may fail, no input may be lost or answered
twice, and each reload's brain must answer from the moment it is swapped in.

Usage: serve_reload.py VARNEX REALISTIC_GEN [CLAUSES]
"""
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

from serve_support import Server, check, finish, stop_all

generate = sys.argv[2]
clauses = int(sys.argv[3]) if len(sys.argv) > 3 else 100000


def marker_clause(n):
    # Three words no other clause has, and two it never finds: it wins its
    # own input and loses every other.
    return ("For-Mode 0,0\n  Fragment AND,0,0, {RELOADMARKER}, {}, {}\n  Fragment AND,0,0, {RELOADMARKERB}, {}, {}\n"
            "  Fragment AND,0,0, {RELOADMARKERC}, {}, {}\n  Fragment NOT,0,0, {QQQX}, {}, {}\n"
            "  Fragment NOT,0,0, {QQQY}, {}, {}\n  Response {marker %d},Just Text,{},{}\n" % n)


MARKER_INPUT = "RELOADMARKER RELOADMARKERB RELOADMARKERC"

tmp = tempfile.mkdtemp()
try:
    brain = os.path.join(tmp, "big.vlf")
    inputs_file = os.path.join(tmp, "inputs.txt")
    subprocess.run([generate, str(clauses), brain, inputs_file, "200"], check=True)
    with open(brain) as f:
        original = f.read()
    with open(inputs_file) as f:
        inputs = [l.strip() for l in f if l.strip()]

    def write_brain(n):
        # Replaced whole, as a deployment would: never seen half-written.
        with open(brain + ".new", "w") as f:
            f.write(original + marker_clause(n))
        os.replace(brain + ".new", brain)

    write_brain(0)
    server = Server("--rate", "0", "--threads", "2", brain)
    request = server.request

    # The users, each sending one input after another until told to stop,
    # counting what was answered.
    stop = threading.Event()
    answered = {}

    def user(n):
        uid = "user%d" % n
        kept = 0
        i = n
        while not stop.is_set():
            # A refused or dropped connection (no status) is a failed request too.
            status, reply = request("POST", "/v1/sessions/%s/input" % uid, {"input": inputs[i % len(inputs)]})
            if status != 200:
                check(False, "%s: HTTP %s %s" % (uid, status, reply))
                break
            kept += 1
            check(reply["version"] == kept, "%s: version %s after %d inputs" % (uid, reply["version"], kept))
            i += 7
        answered[uid] = kept

    users = [threading.Thread(target=user, args=(n,)) for n in range(12)]
    for t in users:
        t.start()

    status, reply = request("POST", "/v1/sessions/watcher/input", {"input": MARKER_INPUT})
    check(status == 200 and reply["answers"][-1] == "marker 0", "before any reload: %s %s" % (status, reply))
    for n in range(1, 4):
        time.sleep(0.5)
        write_brain(n)
        if n == 2:
            status, reply = request("POST", "/v1/reload")
            check(status == 200, "reload %d by request: %s %s" % (n, status, reply))
        else:
            server.proc.send_signal(signal.SIGHUP)
            # The signal's reload is done when the new brain answers.
            deadline = time.time() + 60
            while time.time() < deadline:
                status, reply = request("POST", "/v1/sessions/watcher/input", {"input": MARKER_INPUT})
                if status != 200 or reply["answers"][-1] != "marker %d" % (n - 1):
                    break
                time.sleep(0.05)
        status, reply = request("POST", "/v1/sessions/watcher/input", {"input": MARKER_INPUT})
        check(status == 200 and reply["answers"][-1] == "marker %d" % n,
              "after reload %d: %s %s" % (n, status, reply))
    time.sleep(0.5)
    stop.set()
    for t in users:
        t.join()

    check(sum(answered.values()) > 0, "the users should have been answered")
    # Every input answered is kept, once.
    for uid, kept in answered.items():
        status, reply = request("GET", "/v1/sessions/" + uid)
        check(status == 200 and reply["version"] == kept,
              "%s: %d inputs answered, the session says %s" % (uid, kept, reply))
    status, metrics = request("GET", "/metrics")
    values = dict(l.rsplit(" ", 1) for l in metrics.splitlines() if l and not l.startswith("#"))
    check(values.get("varnex_reloads_total") == "3", "three reloads: %s" % values.get("varnex_reloads_total"))
    check(values.get("varnex_reload_failures_total") == "0", "no failed reload")
    print("%d inputs answered during 3 reloads of a %d-clause brain" % (sum(answered.values()), clauses))
    check(server.stop() == 0, "a clean stop")
finally:
    stop_all()
    subprocess.run(["rm", "-rf", tmp])

finish()
