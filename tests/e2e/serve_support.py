"""What the end-to-end tests of varnex serve share: a record of the checks
that failed, a server process on a free loopback port with a client for its
JSON API, and the answers `varnex chat --seed 1` gives, to compare with.
Every such test is run as `SCRIPT VARNEX ...`."""
import http.client
import json
import signal
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request

VARNEX = sys.argv[1]
failures = []
started = []  # every process a test started, stopped at its end however it ends


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what, flush=True)


def stop_all():
    """Kills what is still running of the processes the test started."""
    for proc in started:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def finish():
    """Exits with the test's outcome."""
    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)
    print("ok")
    sys.exit(0)


def chat(brain, inputs):
    """What `varnex chat --seed 1` answers to the inputs, in order."""
    out = subprocess.run([VARNEX, "chat", "--seed", "1", brain], input="\n".join(inputs) + "\n",
                         capture_output=True, text=True).stdout
    return [l[len("[Varnex]: "):] for l in out.splitlines() if l.startswith("[Varnex]: ")]


class Server:
    """`varnex serve` with ARGS, listening on a free loopback port."""

    def __init__(self, *args):
        self.log = tempfile.TemporaryFile(mode="w+")
        self.proc = subprocess.Popen([VARNEX, "serve", "--listen", "127.0.0.1:0", *args], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=self.log, text=True)
        started.append(self.proc)
        line = self.proc.stdout.readline().strip()
        if not line.startswith("listening on http://127.0.0.1:"):
            self.proc.kill()
            sys.exit("the server did not start: %r %s" % (line, self.errors()))
        self.base = line[len("listening on "):]

    def errors(self):
        """What the server wrote on standard error so far."""
        self.log.seek(0)
        return self.log.read()

    def request(self, method, path, body=None, raw=None):
        """The status and the decoded JSON (or text) of a request; status
        None when the server could not be reached or hung up before
        replying."""
        data = raw if raw is not None else (json.dumps(body).encode() if body is not None else None)
        req = urllib.request.Request(self.base + path, data=data if method != "GET" else None, method=method,
                                     headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(req, timeout=20) as r:
                status, text = r.status, r.read().decode()
        except urllib.error.HTTPError as e:
            status, text = e.code, e.read().decode()
        except (OSError, http.client.HTTPException) as e:
            return None, repr(e)
        try:
            return status, json.loads(text) if text else None
        except ValueError:
            return status, text

    def say(self, session, text, **flags):
        """The reply to an input, which must be answered (no answers when it
        is not)."""
        status, reply = self.request("POST", "/v1/sessions/%s/input" % session, dict(input=text, **flags))
        check(status == 200, "%s %r: HTTP %s %s" % (session, text[:40], status, str(reply)[:300]))
        return reply if status == 200 else {"answers": [], "version": None}

    def stop(self):
        """SIGTERM, and the exit status (a text when it hung and was killed)."""
        self.proc.send_signal(signal.SIGTERM)
        try:
            return self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return "none: it hung and was killed"
