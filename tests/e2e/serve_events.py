#!/usr/bin/env python3
"""Answers a brain gives on its own, pushed to a connected client as
server-sent events: the volition clause speaks after its silence and again
after the next, the stream ends when the session is deleted, an unknown
session is refused with JSON, and a server with a stream open stops at once
on SIGTERM.

Usage: serve_events.py VARNEX
"""
import json
import os
import socket
import subprocess
import tempfile
import time

from serve_support import Server, check, finish, stop_all


BRAIN = """Varnex 9.0 Varnex-Language File
Volition
All Rights Reserved

-------States--------
-------Modes---------
For-Mode 0,0
  Fragment EXTRACT,400,100, {my name is ^Extr{NAME}}, {}, {}
  Response {Hello ^Fact{NAME}.},Just Text,{},{}

For-Mode 0,0
Name-Object {Nudge}
  Fragment Volition,0,0, {0.00002}, {}, {}
  Fragment CUSTOM-Sub,-1000,0, {^Input{0}}, {}, {}
  Response {Still there, ^Fact{NAME}?},Just Text,{},{}

-----Procedures------
-------Facts---------
Fact {NAME} = {friend}
-----Collections-----
"""


def open_stream(base, session):
    """A raw connection reading the event stream, so that events are seen as
    they come (no client library buffering them)."""
    host, port = base[len("http://"):].split(":")
    s = socket.create_connection((host, int(port)), timeout=15)
    s.sendall(("GET /v1/sessions/%s/events HTTP/1.1\r\nHost: x\r\nAccept: text/event-stream\r\n\r\n" %
               session).encode())
    return s


def read_events(s, count, seconds):
    """Up to `count` events (name, data) within `seconds`."""
    events, buffer, deadline = [], b"", time.time() + seconds
    while len(events) < count and time.time() < deadline:
        s.settimeout(max(0.1, deadline - time.time()))
        try:
            chunk = s.recv(4096)
        except socket.timeout:
            break
        if not chunk:
            break
        buffer += chunk
        for block in buffer.decode(errors="replace").split("\n\n")[:-1]:
            lines = dict(l.split(": ", 1) for l in block.splitlines() if l.startswith(("event: ", "data: ")))
            if "event" in lines:
                events.append((lines["event"], json.loads(lines["data"])))
        buffer = buffer[buffer.rfind(b"\n\n") + 2:] if b"\n\n" in buffer else buffer
    return events


tmp = tempfile.mkdtemp()
try:
    brain = os.path.join(tmp, "v.vlf")
    with open(brain, "w") as f:
        f.write(BRAIN)
    server = Server("--store", "memory", brain)
    base, request = server.base, server.request

    status, reply = request("GET", "/v1/sessions/nobody/events")
    check(status == 404 and "nobody" in reply.get("error", ""), "events of an unknown session: %s %s" % (status, reply))

    status, reply = request("POST", "/v1/sessions/ann/input", {"input": "my name is Ann"})
    check(status == 200 and reply["answers"] == ["Hello Ann."], "ann: %s %s" % (status, reply))
    stream = open_stream(base, "ann")
    # The clause speaks after about 1.7 seconds of silence, and again after
    # as long from then.
    started = time.time()
    events = read_events(stream, 2, 12)
    check([e for e, _ in events] == ["answers", "answers"], "two volition events: %s" % events)
    check(all(d["answers"] == ["Still there, Ann?"] for _, d in events), "what the clause says: %s" % events)
    check([d["version"] for _, d in events] == [2, 3], "each written once: %s" % events)
    check(time.time() - started >= 2.5, "the second one waited for its own silence")
    status, reply = request("GET", "/v1/sessions/ann")
    check(status == 200 and reply["version"] == 3, "the session after the events: %s" % reply)

    # Deleting the session ends its stream.
    status, _ = request("DELETE", "/v1/sessions/ann")
    check(status == 204, "delete: %s" % status)
    events = read_events(stream, 1, 5)
    check(events and events[0][0] == "end", "the stream's end: %s" % events)
    stream.close()

    # A server with a stream open stops at once, and cleanly.
    request("POST", "/v1/sessions/bo/input", {"input": "my name is Bo"})
    stream = open_stream(base, "bo")
    time.sleep(0.3)
    started = time.time()
    code = server.stop()
    check(code == 0 and time.time() - started < 3, "stop with a stream open: exit %s after %.1fs" %
          (code, time.time() - started))
    stream.close()
finally:
    stop_all()
    subprocess.run(["rm", "-rf", tmp])

finish()
