#!/usr/bin/env python3
"""varnex serve killed (-9) in the middle of a load, with its sessions in
SQLite: many users each send numbered inputs one after the other ("my name
is U7x12"), so the NAME a session keeps tells which input it was written
by. After the kill the database passes SQLite's integrity check, a new
process reads every session (never 500: nothing damaged), and each holds
the last input its user heard answered, or the one that was in flight when
the process died: at most one input lost, none half-written. Then the
users go on, and the process is killed again mid-load, on the database it
recovered.

Usage: serve_crash.py VARNEX BRAIN
"""
import os
import shutil
import signal
import sqlite3
import sys
import tempfile
import threading
import time

from serve_support import Server, check, finish, stop_all

brain = sys.argv[2]
USERS = ["U%d" % n for n in range(30)]


def integrity(db, when):
    """SQLite's own check, on a copy of the database and its log as the
    kill left them, so that the next process still finds the log to
    recover from."""
    copy = tempfile.mkdtemp(dir=tmp)
    for suffix in ("", "-wal"):
        if os.path.exists(db + suffix):
            shutil.copy(db + suffix, os.path.join(copy, "s.db" + suffix))
    c = sqlite3.connect(os.path.join(copy, "s.db"))
    try:
        check(c.execute("PRAGMA integrity_check").fetchall() == [("ok",)], "integrity_check " + when)
    finally:
        c.close()


def load(server, acked):
    """Every user sending numbered inputs, one at a time, until the server
    is killed (-9) in the middle of them. Returns, for each user, the
    number of the input it was sending when the server died (its last
    acknowledged one if none was in flight)."""
    sending = dict(acked)
    stop = threading.Event()
    lock = threading.Lock()
    answered = [0]

    def talk(user):
        n = acked[user]
        while not stop.is_set():
            n += 1
            sending[user] = n
            status, reply = server.request("POST", "/v1/sessions/%s/input" % user, {"input": "my name is %sx%d" % (user, n)})
            if status is None:
                return  # the server is gone
            if status != 200 or reply["version"] != n:
                check(False, "%s, input %d: HTTP %s %.300s" % (user, n, status, reply))
                return
            with lock:
                acked[user] = n
                answered[0] += 1
        sending[user] = acked[user]

    threads = [threading.Thread(target=talk, args=(u,)) for u in USERS]
    [t.start() for t in threads]
    # A second of load, and enough inputs answered that every user is in
    # the middle of its sequence (the sanitizer builds are slower).
    began = time.monotonic()
    time.sleep(1)
    while answered[0] < 3 * len(USERS) and time.monotonic() - began < 15:
        time.sleep(0.05)
    server.proc.kill()
    server.proc.wait()
    stop.set()
    [t.join() for t in threads]
    lost = sum(1 for u in USERS if sending[u] != acked[u])
    print("killed -9 under load: %d inputs answered, %d in flight" % (answered[0], lost))
    check(answered[0] >= len(USERS), "the load should have answered inputs before the kill: %d" % answered[0])
    check(lost > 0, "the kill should have come with inputs in flight")
    return sending


def recovered(server, acked, sending, when):
    """Every session holds its last acknowledged input or the one in flight,
    whole; the users' counts move to what was kept."""
    written = 0  # inputs in flight at the kill that were written whole
    for user in USERS:
        status, view = server.request("GET", "/v1/sessions/" + user)
        if status == 404 and acked[user] == 0:
            continue  # its first input was in flight and was not written
        if status != 200:
            check(False, "%s %s: HTTP %s %.300s" % (user, when, status, view))
            continue
        name = view["facts"].get("NAME", "")
        kept = view["version"]
        check(acked[user] <= kept <= sending[user] and name == "%sx%d" % (user, kept),
              "%s %s: %d answered, %d in flight, version %d kept with NAME %r" %
              (user, when, acked[user], sending[user], kept, name))
        written += kept > acked[user]
        acked[user] = kept
    print("%s: %d of the inputs in flight had been written" % (when, written))


tmp = tempfile.mkdtemp()
try:
    db = os.path.join(tmp, "s.db")
    args = ("--store", "sqlite:" + db, "--rate", "0", brain)
    acked = {u: 0 for u in USERS}
    for when in ("after the first kill", "after the second kill"):
        sending = load(Server(*args), acked)
        integrity(db, when)
        server = Server(*args)
        recovered(server, acked, sending, when)
        # The sessions go on from what was kept.
        for user in USERS:
            if acked[user] == 0:
                continue
            status, reply = server.request("POST", "/v1/sessions/%s/input" % user, {"input": "what is my name?"})
            check(status == 200 and reply["version"] == acked[user] + 1 and
                  reply["answers"] == ["You are %sx%d. I never forget a gardener." % (user, acked[user])],
                  "%s %s: HTTP %s %.300s" % (user, when, status, reply))
            # Named again, so that the next load's numbers follow the version.
            n = acked[user] + 2
            status, reply = server.request("POST", "/v1/sessions/%s/input" % user,
                                           {"input": "my name is %sx%d" % (user, n)})
            check(status == 200 and reply["version"] == n, "%s %s: HTTP %s %.300s" % (user, when, status, reply))
            acked[user] = n
        server.proc.send_signal(signal.SIGTERM)
        check(server.proc.wait(timeout=20) == 0, "SIGTERM %s: %s" % (when, server.errors()[-2000:]))
    integrity(db, "after the last stop")
finally:
    stop_all()
    shutil.rmtree(tmp, ignore_errors=True)

finish()
