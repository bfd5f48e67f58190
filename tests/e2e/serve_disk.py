#!/usr/bin/env python3
"""varnex serve with its SQLite store on a disk that fills up: a small
tmpfs holds the database, a filler file takes the rest of it, and inputs
then find no room for their writes. Each input (one at a time, or several
sessions' at once), reset or delete is either done (200, and the session
shows it) or refused with a 503 that says the disk is full, leaving the
session as it was; sessions written before read back unchanged, and the
process answers health checks. Once the filler is gone the service writes
again by itself, versions going on from the last one kept; after SIGTERM
the database passes SQLite's integrity check and a new process finds
every session. A process killed (-9) on the full disk starts again on it
and serves what is stored; one stopped on it loses nothing. A server
started on a full disk with a new database, or one that needs room for
its log, says why and exits.

Mounting needs root (or a user namespace: the test runs itself again
under `unshare -Urm`); where neither is possible it is skipped (77).

Usage: serve_disk.py VARNEX BRAIN
"""
import errno
import os
import random
import shutil
import sqlite3
import string
import subprocess
import sys
import tempfile
import threading

import serve_support
from serve_support import check, finish, stop_all

varnex, brain = sys.argv[1], sys.argv[2]
UNSHARED = "VARNEX_SERVE_DISK_UNSHARED"


def noise(seed, size):
    """Letters that do not deflate: sessions are kept deflated, and an input
    of one letter repeated would take no room at all."""
    return "".join(random.Random(seed).choices(string.ascii_lowercase, k=size))


class Server(serve_support.Server):
    def view(self, session):
        """(version, facts) as GET shows them; None when there is no session."""
        status, view = self.request("GET", "/v1/sessions/" + session)
        if status == 404:
            return None
        check(status == 200, "GET %s: HTTP %s %s" % (session, status, str(view)[:300]))
        return (view["version"], view["facts"]) if status == 200 else ("HTTP %s" % status, None)


def mount(where):
    """Mounts an 8 MiB tmpfs on `where`; False when this process may not."""
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "tmpfs", where], capture_output=True, text=True)
    return r.returncode == 0


def fill(where):
    """Writes a file on `where` until the disk has no room left."""
    path = os.path.join(where, "filler")
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
    try:
        for size in (65536, 4096, 512, 1):
            chunk = b"f" * size
            try:
                while True:
                    os.write(fd, chunk)
            except OSError as e:
                if e.errno != errno.ENOSPC:
                    raise
    finally:
        os.close(fd)
    return path


def integrity(when):
    """SQLite's own check of the database, and its rows as `kept` has them."""
    c = sqlite3.connect(db)
    try:
        check(c.execute("PRAGMA integrity_check").fetchall() == [("ok",)], "integrity_check " + when)
        rows = dict(c.execute("SELECT id, version FROM sessions").fetchall())
    finally:
        c.close()
    check(rows == {s: v[0] for s, v in kept.items() if v}, "rows %s %s\n  wanted %s" %
          (when, rows, {s: v and v[0] for s, v in kept.items()}))


def name_of(facts):
    return (facts or {}).get("NAME", "")


tmp = tempfile.mkdtemp()
disk = os.path.join(tmp, "disk")
os.mkdir(disk)
mounted = mount(disk)
if not mounted:
    shutil.rmtree(tmp, ignore_errors=True)
    # Not root here: a user namespace of our own may mount a tmpfs.
    if not os.environ.get(UNSHARED) and shutil.which("unshare") and \
            subprocess.run(["unshare", "-Urm", "true"], capture_output=True).returncode == 0:
        os.environ[UNSHARED] = "1"
        os.execvp("unshare", ["unshare", "-Urm", sys.executable, os.path.abspath(__file__), *sys.argv[1:]])
    print("skipped: cannot mount a tmpfs to fill (not root, and no user namespace with unshare -Urm)")
    sys.exit(77)

try:
    db = os.path.join(disk, "s.db")
    args = ("--store", "sqlite:" + db, "--rate", "0", "--seed", "1", brain)
    server = Server(*args)

    # Sessions written while there is room: what they are is what they must
    # stay whatever the disk does later.
    names = {"ann": "Ann", "bo": "Bo", "cy": "Cy"}
    kept = {}
    for session, name in names.items():
        server.say(session, "hello")
        reply = server.say(session, "my name is " + name)
        check(reply["answers"][-1:] == ["Nice to meet you, %s! I'll remember that." % name], "%s: %s" % (session, reply))
        kept[session] = server.view(session)
        check(kept[session] and kept[session][0] == 2 and name_of(kept[session][1]) == name,
              "%s before the disk filled: %s" % (session, kept[session]))

    together = ["p%d" % n for n in range(6)]
    for session in together:
        server.say(session, "my name is " + session)
        kept[session] = server.view(session)

    filler = fill(disk)
    check(shutil.disk_usage(disk).free < 4096, "the filler should leave no room: %s" % (shutil.disk_usage(disk),))

    # Large inputs, so that their writes cannot fit in whatever room the
    # database files still have: first on the full disk, then with a little
    # room freed now and then, so that some fit and some do not. An input
    # answered 200 must be in the session, one version on; one refused must
    # have left the session as it was.
    counts = {200: 0, 503: 0}
    lock = threading.Lock()
    sessions = list(names) + ["dee"]  # dee: a session started on the full disk

    def attempt(i, session=None):
        session = session or sessions[i % len(sessions)]
        name = "Z%dx%s" % (i, noise(i, 50000))
        status, reply = server.request("POST", "/v1/sessions/%s/input" % session, {"input": "my name is " + name})
        if status is None:
            check(False, "input %d on the full disk: no reply (%s); server exit %s %s" %
                  (i, reply, server.proc.poll(), server.errors()[-2000:]))
            return False
        after, before = server.view(session), kept.get(session)
        if status == 200:
            want = before[0] + 1 if before else 1
            check(reply["version"] == want and after and after[0] == want and name_of(after[1]) == name,
                  "%s: input %d answered 200 (version %s, wanted %d) but the session shows version %s, name %.20r" %
                  (session, i, reply["version"], want, after and after[0], name_of(after and after[1])))
            kept[session] = after
        elif status == 503:
            check("disk" in reply.get("error", "") and "full" in reply.get("error", ""),
                  "503 should say the disk is full: %s" % reply)
            check(after == before, "%s changed by a refused input: %s, was %s" %
                  (session, after and after[0], before and before[0]))
        else:
            check(False, "input %d on the full disk: HTTP %s %s" % (i, status, str(reply)[:300]))
            return False
        with lock:
            counts[status] += 1
        return True

    i = 0
    while i < 4 and attempt(i):
        i += 1
    check(counts[503] > 0, "no input was refused on the full disk")
    while i < 60 and (counts[200] < 3 or counts[503] < 6):
        os.truncate(filler, max(0, os.path.getsize(filler) - 48 * 1024))
        if not attempt(i):
            break
        i += 1
    check(counts[200] >= 3 and counts[503] >= 6, "with a little room freed at a time some inputs should fit and "
          "some not: %d kept, %d refused" % (counts[200], counts[503]))
    # Inputs of several sessions at once, so that the writes that arrive
    # while one commits are committed together: when their transaction
    # fails, each is tried alone, and each gets the outcome of its own.
    for n in range(6):
        os.truncate(filler, max(0, os.path.getsize(filler) - 96 * 1024))
        gate = threading.Barrier(len(together))

        def send(session, i):
            gate.wait()
            attempt(i, session)

        threads = [threading.Thread(target=send, args=(session, 100 + 10 * n + k))
                   for k, session in enumerate(together)]
        [t.start() for t in threads]
        [t.join() for t in threads]
    print("on the full disk: %d inputs kept, %d refused" % (counts[200], counts[503]))
    fill(disk)

    # The other writes: a reset and a delete are each either done whole or
    # refused with the session as it was.
    status, reply = server.request("POST", "/v1/sessions/bo/reset")
    after = server.view("bo")
    if status == 200:
        check(after and after[0] == reply["version"] and name_of(after[1]) == "friend", "bo reset: %s" % (after,))
        kept["bo"] = after
    else:
        check(status == 503 and "full" in reply.get("error", ""), "reset on the full disk: %s %s" % (status, reply))
        check(after == kept["bo"], "bo changed by a refused reset")
    status, reply = server.request("DELETE", "/v1/sessions/cy")
    after = server.view("cy")
    if status == 204:
        check(after is None, "cy deleted but still there: %s" % (after,))
        kept["cy"] = None
    else:
        check(status == 503 and "full" in reply.get("error", "") and "not deleted" in reply.get("error", ""),
              "delete on the full disk: %s %s" % (status, reply))
        check(after == kept["cy"], "cy changed by a refused delete")

    for session in kept:
        check(server.view(session) == kept[session], "%s on the full disk" % session)
    check(server.request("GET", "/healthz")[0] == 200, "healthz on the full disk")
    check(server.request("GET", "/readyz")[0] == 200, "readyz on the full disk")
    status, metrics = server.request("GET", "/metrics")
    check(status == 200 and 'varnex_errors_total{status="503"} ' in metrics, "metrics on the full disk: %s" % status)

    # Room again: the next writes succeed without anyone stepping in.
    os.remove(filler)
    for session in ("ann", "dee"):
        before = kept.get(session)
        reply = server.say(session, "my name is %s" % session.capitalize())
        want = before[0] + 1 if before else 1
        check(reply["version"] == want, "%s after the disk was freed: version %s, wanted %s" %
              (session, reply["version"], want))
        kept[session] = server.view(session)
    check(server.say("ann", "what is my name?")["answers"] == ["You are Ann. I never forget a gardener."],
          "ann's name after the disk was freed")
    kept["ann"] = server.view("ann")

    code = server.stop()
    check(code == 0, "SIGTERM: exit %s %s" % (code, server.errors()[-2000:]))
    integrity("after the disk was full")

    # Another process finds every session as it was, and they go on.
    server = Server(*args)
    for session, was in kept.items():
        now = server.view(session)
        check(now == was, "%s after a restart: %s, was %s" % (session, now and now[0], was and was[0]))
        if was and name_of(was[1]) != "friend":
            reply = server.say(session, "what is my name?")
            check(reply["version"] == was[0] + 1 and
                  reply["answers"] == ["You are %s. I never forget a gardener." % name_of(was[1])],
                  "%s after a restart: %.300s" % (session, reply))
            kept[session] = server.view(session)

    # Killed (-9) on the full disk, and started again on it: the log and
    # its index are there, so the start needs no more room than they take.
    # The sessions read back, inputs are refused until there is room, and
    # then kept.
    filler = fill(disk)
    server.proc.kill()
    server.proc.wait()
    server = Server(*args)
    for session, was in kept.items():
        check(server.view(session) == was, "%s after a kill and a start on the full disk" % session)
    status, reply = server.request("POST", "/v1/sessions/ann/input", {"input": "my name is A" + noise(-1, 50000)})
    check(status == 503 and "full" in reply.get("error", ""), "input after a start on the full disk: %s %.300s" %
          (status, reply))
    check(server.view("ann") == kept["ann"], "ann changed by a refused input after a start on the full disk")
    check(server.request("GET", "/healthz")[0] == 200, "healthz after a start on the full disk")
    os.remove(filler)
    reply = server.say("ann", "my name is Ann")
    check(reply["version"] == kept["ann"][0] + 1, "ann once there was room: %.300s" % reply)
    kept["ann"] = server.view("ann")
    # Stopped while the disk is full: the log may not be copied into the
    # database as the last connection closes, but what it holds is kept.
    filler = fill(disk)
    code = server.stop()
    check(code == 0, "SIGTERM on the full disk: exit %s %s" % (code, server.errors()[-2000:]))
    os.remove(filler)
    integrity("after a stop on the full disk")
    server = Server(*args)
    for session, was in kept.items():
        check(server.view(session) == was, "%s after a stop on the full disk" % session)
    check(server.stop() == 0, "SIGTERM after a stop on the full disk")

    # A server started on the full disk, whether its database is new or
    # was stopped cleanly (it then needs room for the log's index), says so
    # and exits, leaving nothing that stands in the way of a start once
    # there is room.
    filler = fill(disk)
    fresh = os.path.join(disk, "fresh.db")
    for path in (fresh, db):
        try:
            r = subprocess.run([varnex, "serve", "--listen", "127.0.0.1:0", "--store", "sqlite:" + path, brain],
                               stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)
            check(r.returncode == 1 and path in r.stderr and "full" in r.stderr and not r.stdout,
                  "start on a full disk: exit %d, stdout %r, stderr %r" % (r.returncode, r.stdout, r.stderr))
        except subprocess.TimeoutExpired:
            check(False, "a start on a full disk hung (%s)" % path)
    os.remove(filler)
    server = Server("--store", "sqlite:" + fresh, brain)
    check(server.say("eve", "my name is Eve")["version"] == 1, "a new database once the disk had room")
    check(server.stop() == 0, "SIGTERM on the new database")
    server = Server(*args)
    for session, was in kept.items():
        check(server.view(session) == was, "%s after a start refused on the full disk" % session)
    check(server.stop() == 0, "the last SIGTERM")
    integrity("at the end")
finally:
    stop_all()
    if mounted:
        subprocess.run(["umount", disk])
    shutil.rmtree(tmp, ignore_errors=True)

finish()
