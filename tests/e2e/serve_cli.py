#!/usr/bin/env python3
"""varnex serve through HTTP, as a client would use it: answers as `varnex
chat --seed 1` gives them, two users interleaved keeping their own facts
and random draws, bad requests refused with JSON errors, metrics, reloads
(by request and by SIGHUP) that keep sessions, a clean stop on SIGTERM and
sessions that survive a restart.

Usage: serve_cli.py VARNEX BRAIN
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

from serve_support import Server, chat as chat_of, check, finish, stop_all

varnex, demo = sys.argv[1], sys.argv[2]


def chat(inputs):
    return chat_of(brain, inputs)


tmp = tempfile.mkdtemp()
try:
    brain = os.path.join(tmp, "demo.vlf")
    shutil.copy(demo, brain)
    server = Server("--seed", "1", "--rate", "1000", brain)
    check(os.path.exists(brain + ".sessions.db"), "the sessions should be kept beside the brain by default")

    # Two users taking turns: each hears what chat would say to it alone,
    # random choices (recommendations) included.
    ann = ["hello", "what is my name?", "my name is Ann", "can you recommend something?", "what is my name?",
           "tell me a joke", "can you recommend something?", "tell me a joke", "water the plants"]
    bo = ["my name is Bo", "can you recommend something?", "I love the basil", "can you recommend something?",
          "what is my name?", "what is my favourite plant?", "sow a pumpkin", "what is in the bed?"]
    heard = {"ann": [], "bo": []}
    for i in range(max(len(ann), len(bo))):
        for session, inputs in (("ann", ann), ("bo", bo)):
            if i < len(inputs):
                reply = server.say(session, inputs[i])
                heard[session] += reply["answers"]
                check(reply.get("started") == (i == 0), "%s: started on input %d" % (session, i))
    for session, inputs in (("ann", ann), ("bo", bo)):
        expected = chat(inputs)
        check(heard[session] == expected, "%s heard %s\n  chat says %s" % (session, heard[session], expected))
    check(server.say("ann", "what is my name?")["answers"] == ["You are Ann. I never forget a gardener."], "ann's name")
    check(server.say("bo", "what is my name?")["answers"] == ["You are Bo. I never forget a gardener."], "bo's name")

    status, view = server.request("GET", "/v1/sessions/bo")
    check(status == 200 and view["facts"].get("NAME") == "Bo" and view["facts"].get("Favourite") == "basil",
          "GET bo: %s %s" % (status, view))
    reply = server.say("bo", "what is my name?", trace=True, explain=True)
    check(any(l.startswith("[Score: ") for l in reply["trace"]), "trace: %s" % reply["trace"])
    check(reply["explanation"]["best"][0]["name"] == "WhatIsMyName", "explanation: %s" % reply["explanation"])

    # Bad requests: JSON errors, and the server goes on.
    for what, path, raw, want in [
        ("malformed JSON", "/v1/sessions/ann/input", b'{"input": ', 400),
        ("no input", "/v1/sessions/ann/input", b'{"text": "hi"}', 400),
        ("input not a string", "/v1/sessions/ann/input", b'{"input": 7}', 400),
        ("body not an object", "/v1/sessions/ann/input", b'["hi"]', 400),
        ("trace not a boolean", "/v1/sessions/ann/input", b'{"input": "hi", "trace": "yes"}', 400),
        ("deep nesting", "/v1/sessions/ann/input", b"[" * 200000, 400),
        ("input over --max-input", "/v1/sessions/ann/input", json.dumps({"input": "a" * 70000}).encode(), 400),
        ("body too large", "/v1/sessions/ann/input", b'{"input": "' + b"a" * 600000 + b'"}', 413),
        ("bad session id", "/v1/sessions/no%20spaces/input", b'{"input": "hi"}', 400),
        ("session id too long", "/v1/sessions/%s/input" % ("x" * 129), b'{"input": "hi"}', 400),
        ("unknown route", "/v1/nothing", b"{}", 404),
    ]:
        status, reply = server.request("POST", path, raw=raw)
        check(status == want and isinstance(reply, dict) and reply.get("error"),
              "%s: HTTP %s %s (wanted %d with an error)" % (what, status, str(reply)[:200], want))
    status, reply = server.request("GET", "/v1/sessions/nobody")
    check(status == 404 and "no session" in reply.get("error", ""), "GET unknown: %s %s" % (status, reply))
    check(server.request("DELETE", "/v1/sessions/nobody")[0] == 404, "DELETE unknown")
    check(server.say("ann", "what is my name?")["answers"] == ["You are Ann. I never forget a gardener."],
          "ann after the bad requests")

    # Users in parallel keep their names.
    wrong = []

    def user(n):
        name = "Par%d" % n
        server.say(name, "my name is " + name)
        for _ in range(5):
            got = server.say(name, "what is my name?")["answers"]
            if got != ["You are %s. I never forget a gardener." % name]:
                wrong.append(got)

    threads = [threading.Thread(target=user, args=(n,)) for n in range(8)]
    [t.start() for t in threads]
    [t.join() for t in threads]
    check(not wrong, "parallel users: %s" % wrong[:3])

    status, reply = server.request("POST", "/v1/sessions/gone/reset")
    check(status == 200 and reply["started"] and reply["answers"], "reset: %s %s" % (status, reply))
    check(server.request("DELETE", "/v1/sessions/gone")[0] == 204, "DELETE")
    check(server.request("GET", "/v1/sessions/gone")[0] == 404, "GET after DELETE")

    status, metrics = server.request("GET", "/metrics")
    for name in ["varnex_inputs_total ", 'varnex_errors_total{status="400"} ',
                 "varnex_answers_total ", 'varnex_request_seconds_bucket{le="+Inf"} ', "varnex_sessions ",
                 "varnex_sessions_in_memory ", "varnex_store_write_seconds_count "]:
        check(status == 200 and name in metrics, "metrics without %s" % name)
    check(server.request("GET", "/healthz")[0] == 200, "healthz")
    status, ready = server.request("GET", "/readyz")
    check(status == 200 and ready["store"] == "sqlite:" + brain + ".sessions.db", "readyz: %s" % ready)

    # Reloads keep sessions, and a brain edited meanwhile answers them.
    with open(brain) as f:
        text = f.read()
    with open(brain, "w") as f:
        f.write(text.replace("I never forget a gardener.", "Read again, I still know you."))
    status, reply = server.request("POST", "/v1/reload")
    check(status == 200, "reload: %s %s" % (status, reply))
    check(server.say("ann", "what is my name?")["answers"] == ["You are Ann. Read again, I still know you."],
          "ann after a reload")
    server.proc.send_signal(signal.SIGHUP)
    check(server.say("bo", "what is my name?")["answers"] == ["You are Bo. Read again, I still know you."],
          "bo after SIGHUP")

    code, err = server.stop(), server.errors()
    check(code == 0, "SIGTERM: exit %s" % code)
    check("read %s again" % brain in err and "stopped" in err, "stderr: %s" % err)

    # A restart finds the sessions where they were.
    server = Server("--store", "sqlite:" + brain + ".sessions.db", "--rate", "2", brain)
    check(server.say("ann", "what is my name?")["answers"] == ["You are Ann. Read again, I still know you."],
          "ann after a restart")
    check(server.say("bo", "what is my favourite plant?")["answers"] == ["Your favourite is the basil. I never forget a plant."],
          "bo after a restart")
    # A session that sends faster than --rate is held back; others are not.
    codes = [server.request("POST", "/v1/sessions/fast/input", {"input": "hi"})[0] for _ in range(8)]
    check(codes[:2] == [200] * 2 and 429 in codes, "rate: %s" % codes)
    check(server.request("POST", "/v1/sessions/slow/input", {"input": "hi"})[0] == 200, "rate of another session")
    code = server.stop()
    check(code == 0, "second SIGTERM: exit %s" % code)

    # What cannot be served is said at once.
    with open(os.path.join(tmp, "junk.db"), "w") as f:
        f.write("j" * 8192)
    for args, what in [(["--store", "sqlite:" + os.path.join(tmp, "junk.db"), brain], "junk.db"),
                       ([os.path.join(tmp, "missing.vlf")], "missing.vlf"),
                       (["--listen", "nowhere", brain], "HOST:PORT")]:
        r = subprocess.run([varnex, "serve", *args], capture_output=True, text=True, timeout=10)
        check(r.returncode in (1, 2) and what in r.stderr, "%s: exit %d %s" % (args, r.returncode, r.stderr))
finally:
    stop_all()
    shutil.rmtree(tmp, ignore_errors=True)

finish()
