"""varnex chat on a terminal, driven through a pseudo-terminal: the colon
commands, Ctrl-D and Ctrl-C. Usage: console_terminal.py VARNEX BRAIN"""
import os
import pty
import select
import sys
import tempfile
import time

VARNEX, BRAIN = sys.argv[1], sys.argv[2]
failures = []


class Session:
    def __init__(self, *args):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execv(VARNEX, [VARNEX, "chat", "--seed", "1", *args, BRAIN])
        self.seen = b""

    def read_until(self, text, seconds=30):
        """Reads output until `text` has appeared since the last call."""
        want = text.encode()
        deadline = time.time() + seconds
        while want not in self.seen:
            left = deadline - time.time()
            if left <= 0:
                return False
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    chunk = os.read(self.fd, 4096)
                except OSError:
                    return False
                if not chunk:
                    return False
                self.seen += chunk
        self.seen = self.seen[self.seen.index(want) + len(want):]
        return True

    def send(self, line):
        os.write(self.fd, line.encode())

    def expect(self, what, text):
        if not self.read_until(text):
            failures.append("%s: never saw %r; saw %r" % (what, text, self.seen[-400:]))

    def wait(self):
        deadline = time.time() + 30
        while time.time() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                # Drain what is left, so the last output can be checked.
                try:
                    while True:
                        chunk = os.read(self.fd, 4096)
                        if not chunk:
                            break
                        self.seen += chunk
                except OSError:
                    pass
                return os.waitstatus_to_exitcode(status)
            time.sleep(0.05)
        os.kill(self.pid, 9)
        failures.append("the program did not end")
        return None


folder = tempfile.mkdtemp()
saved = os.path.join(folder, "saved.vlf")

# The commands, then :quit.
s = Session()
s.expect("start", "[user]: ")
s.send(":help\r")
s.expect(":help", ":explain TEXT")
s.send("hello\r")
s.expect("an answer", "[Varnex]: ")
s.send(":why\r")
s.expect(":why", "wins with")
s.send(":explain what do you grow\r")
s.expect(":explain", "wins with")
s.send("::hello\r")
s.expect("a line that begins with a colon goes to the brain", "[Varnex]: ")
s.send(":trace on\r")
s.expect(":trace on", "Tracing is on.")
s.send("hello\r")
s.expect("a traced input", "[Input]: hello")
s.send(":trace off\r")
s.expect(":trace off", "Tracing is off.")
s.send(":save " + saved + "\r")
s.expect(":save", "Saved the brain to")
s.send(":reload\r")
s.expect(":reload", "again.")
s.send(":bogus\r")
s.expect("an unknown command", "Unknown command :bogus")
s.send(":quit\r")
if s.wait() != 0:
    failures.append(":quit did not end the program cleanly")
if not os.path.isfile(saved):
    failures.append(":save wrote no file")

# Ctrl-D at the prompt ends the conversation on a line of its own.
s = Session()
s.expect("start", "[user]: ")
s.send("\x04")
code = s.wait()
if code != 0:
    failures.append("Ctrl-D: exit status %r" % code)
if not s.seen.endswith(b"\n"):
    failures.append("Ctrl-D: the output does not end with a newline: %r" % s.seen[-80:])

# Ctrl-C at the prompt with --save keeps the brain and says so.
kept = os.path.join(folder, "kept.vlf")
s = Session("--save", kept)
s.expect("start", "[user]: ")
s.send("\x03")
s.expect("Ctrl-C", "saved the brain to " + kept)
s.wait()
if not os.path.isfile(kept):
    failures.append("Ctrl-C with --save wrote no file")

for f in failures:
    print("FAIL: " + f)
sys.exit(1 if failures else 0)
