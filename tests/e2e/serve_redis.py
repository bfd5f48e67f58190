#!/usr/bin/env python3
"""Two varnex serve processes sharing one Redis, as two machines behind a
load balancer would: users whose inputs alternate between the processes
hear what `varnex chat --seed 1` says to them alone; inputs of one user
sent to both processes at once are all answered and all kept; a process
killed (-9) in the middle of a burst of inputs loses at most the input it
was answering and leaves no session damaged; a Redis that goes away gets
503s with JSON errors, and is used again once back.

Usage: serve_redis.py VARNEX BRAIN
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from serve_support import Server, chat as chat_of, check, finish, started, stop_all

varnex, demo = sys.argv[1], sys.argv[2]


def chat(inputs):
    return chat_of(brain, inputs)


def start_redis():
    """A redis-server on a Unix socket in the temporary folder, without
    persistence; returns once it answers."""
    proc = subprocess.Popen(["redis-server", "--port", "0", "--unixsocket", socket, "--save", "", "--appendonly", "no",
                             "--dir", tmp], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    started.append(proc)
    for _ in range(200):
        if subprocess.run(["redis-cli", "-s", socket, "ping"], capture_output=True, text=True).stdout == "PONG\n":
            return proc
        time.sleep(0.025)
    sys.exit("redis-server did not start")


if not shutil.which("redis-server") or not shutil.which("redis-cli"):
    print("skipped: redis-server is not installed (apt-get install redis-server)")
    sys.exit(77)

tmp = tempfile.mkdtemp()
socket = os.path.join(tmp, "redis.sock")
try:
    brain = os.path.join(tmp, "demo.vlf")
    shutil.copy(demo, brain)
    redis = start_redis()
    url = "redis+unix://" + socket
    args = ("--store", url, "--seed", "1", "--rate", "1000", brain)
    servers = [Server(*args), Server(*args)]

    # Two users, each input going to the other process than the one before.
    ann = ["hello", "what is my name?", "my name is Ann", "can you recommend something?", "what is my name?",
           "tell me a joke", "can you recommend something?", "tell me a joke", "water the plants"]
    bo = ["my name is Bo", "can you recommend something?", "I love the basil", "can you recommend something?",
          "what is my name?", "what is my favourite plant?", "sow a pumpkin", "what is in the bed?"]
    heard = {"ann": [], "bo": []}
    for i in range(max(len(ann), len(bo))):
        for n, (session, inputs) in enumerate((("ann", ann), ("bo", bo))):
            if i < len(inputs):
                heard[session] += servers[(i + n) % 2].say(session, inputs[i])["answers"]
    for session, inputs in (("ann", ann), ("bo", bo)):
        expected = chat(inputs)
        check(heard[session] == expected, "%s heard %s\n  chat says %s" % (session, heard[session], expected))

    # One user's inputs sent to both processes at once. Each process answers
    # them one at a time, but the two race: the one whose write finds the
    # session changed answers its input again on the newer session. All are
    # answered and kept: every seed is in the bed, and the version counts
    # every input.
    servers[0].say("plot", "hello")
    burst = ["sow a bean", "sow a carrot", "sow a pea", "sow a pumpkin", "sow a radish"] + ["tell me a joke"] * 5
    gate = threading.Barrier(len(burst))
    codes = []

    def send(n):
        gate.wait()
        status, reply = servers[n % 2].request("POST", "/v1/sessions/plot/input", {"input": burst[n]})
        codes.append((status, reply if status != 200 else ""))

    threads = [threading.Thread(target=send, args=(n,)) for n in range(len(burst))]
    [t.start() for t in threads]
    [t.join() for t in threads]
    check([c for c, _ in codes] == [200] * len(burst), "concurrent inputs of one user: %s" % codes)
    status, view = servers[1].request("GET", "/v1/sessions/plot")
    check(status == 200 and view["version"] == 1 + len(burst), "plot after the burst: %s %s" % (status, view))
    bed = servers[1].say("plot", "what is in the bed?")["answers"]
    check(len(bed) == 1 and all(seed in bed[0] for seed in ("bean", "carrot", "pea", "pumpkin", "radish")),
          "the bed should hold every seed sown at once: %s" % bed)

    # A burst of inputs of many users over both processes; the first is
    # killed (-9) in the middle of it. Each user sends one input at a time,
    # so at most one of theirs was being answered when it died: a session
    # has every input that was answered, and at most that one more.
    users = ["user%d" % n for n in range(8)]
    for n, user in enumerate(users):
        servers[n % 2].say(user, "my name is " + user)
    acked = {u: 0 for u in users}
    unanswered = {u: 0 for u in users}
    enough = threading.Event()
    lock = threading.Lock()

    def talk(n, user):
        for i in range(16):
            status, reply = servers[(n + i) % 2].request("POST", "/v1/sessions/%s/input" % user,
                                                         {"input": ["what is my name?", "tell me a joke"][i % 2]})
            with lock:
                if status == 200:
                    acked[user] += 1
                    if sum(acked.values()) >= 30:
                        enough.set()
                else:
                    unanswered[user] += 1
                    check(status is None, "%s, input %d: HTTP %s %s" % (user, i, status, reply))

    threads = [threading.Thread(target=talk, args=(n, u)) for n, u in enumerate(users)]
    [t.start() for t in threads]
    enough.wait(10)
    servers[0].proc.kill()
    [t.join() for t in threads]
    servers[0].proc.wait()
    print("killed -9 in a burst: %d inputs answered, %d not" % (sum(acked.values()), sum(unanswered.values())))
    check(sum(unanswered.values()) > 0, "the kill should have come in the middle of the burst")
    servers[0] = Server(*args)
    for n, user in enumerate(users):
        status, view = servers[n % 2].request("GET", "/v1/sessions/" + user)
        kept = view["version"] - 1 if status == 200 else -1
        check(acked[user] <= kept <= acked[user] + 1,
              "%s: %d inputs answered, %d unanswered, %d kept (%s %s)" % (user, acked[user], unanswered[user], kept,
                                                                          status, view))
        for server in servers:
            check(server.say(user, "what is my name?")["answers"] == ["You are %s. I never forget a gardener." % user],
                  "%s after the kill" % user)

    # Redis goes away: the input is not kept, the error says why, and the
    # processes go on; once Redis is back (empty: it keeps nothing on disk
    # here) they use it again.
    redis.kill()
    redis.wait()
    status, reply = servers[1].request("POST", "/v1/sessions/ann/input", {"input": "hello"})
    check(status == 503 and "cannot connect to Redis at " + url in reply.get("error", ""),
          "Redis stopped: %s %s" % (status, reply))
    check(servers[1].request("GET", "/healthz")[0] == 200, "healthz while Redis is away")
    redis = start_redis()
    for server in servers:
        reply = server.say("ann", "my name is Ann")
        check(reply["answers"][-1:] == ["Nice to meet you, Ann! I'll remember that."], "after Redis came back: %s" % reply)

    # What cannot be served with Redis is said at once.
    for extra, code, what in [
        (["--store", url, "--learning", "shared"], 2, "shared learning needs every process to apply the same changes"),
        (["--store", "redis+unix://" + os.path.join(tmp, "none.sock")], 1, "cannot connect to Redis at"),
        (["--store", "redis://localhost:none"], 1, "the port \"none\""),
    ]:
        r = subprocess.run([varnex, "serve", "--listen", "127.0.0.1:0", *extra, brain], capture_output=True, text=True,
                           timeout=10)
        check(r.returncode == code and what in r.stderr, "%s: exit %d %s" % (extra, r.returncode, r.stderr))
finally:
    stop_all()
    shutil.rmtree(tmp, ignore_errors=True)

finish()
