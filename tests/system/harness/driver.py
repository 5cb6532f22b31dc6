"""Client of harmodrv.exe, the test driver that finds, steers and observes windows by line commands."""

import os
import select
import subprocess
import time
import urllib.parse

from .environment import DEFAULT_TIMEOUT, HarnessError

def quote(text):
    """Escapes a command word the way the driver expects (percent-escaping of specials)."""
    return urllib.parse.quote(str(text), safe="!#$&'()*+-./:;<=>?@[]^_`{|}~\\\"")


def unquote(text):
    return urllib.parse.unquote(text)


def fields(text):
    """Parses "k=v k2=v2" answers into a dict of str (numbers stay text; see ints())."""
    out = {}
    for word in text.split():
        if "=" in word:
            k, v = word.split("=", 1)
            out[k] = unquote(v)
    return out


def ints(text):
    return [int(w, 0) for w in text.split()]


class DriverError(HarnessError):
    pass


class Driver:
    """An interactive harmodrv.exe session."""

    def __init__(self, env, timeout=DEFAULT_TIMEOUT):
        env.require_build()
        self.env = env
        self.log_path = os.path.join(env.log_dir, "harmodrv.log")
        log = open(self.log_path, "ab")
        self.proc = subprocess.Popen(["wine", env.driver_exe], cwd=env.windows_dir, env=env.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log,
                                     start_new_session=True)
        log.close()
        self._buffer = b""
        answer = self.ask("hello", timeout=timeout)
        if not answer.startswith("harmodrv"):
            raise DriverError("unexpected greeting from harmodrv.exe: %r" % answer)

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        fd = self.proc.stdout.fileno()
        while b"\n" not in self._buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise DriverError("harmodrv.exe gave no answer within %.0f s" % timeout)
            ready, _, _ = select.select([fd], [], [], remaining)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise DriverError("harmodrv.exe ended (exit %s); see %s" % (self.proc.poll(), self.log_path))
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8", "replace").rstrip("\r")

    def raw(self, line, timeout=DEFAULT_TIMEOUT):
        """Sends one command line; returns (ok, answer text)."""
        if self.proc.poll() is not None:
            raise DriverError("harmodrv.exe is not running (exit %s)" % self.proc.returncode)
        self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()
        answer = self._read_line(timeout)
        status, _, text = answer.partition(" ")
        if status not in ("ok", "err"):
            raise DriverError("malformed answer to %r: %r" % (line, answer))
        return status == "ok", text

    def ask(self, *words, timeout=DEFAULT_TIMEOUT):
        """Sends a command; returns the answer text after "ok", raises DriverError on "err"."""
        line = " ".join(quote(w) for w in words)
        ok, text = self.raw(line, timeout=timeout + 5)
        if not ok:
            raise DriverError("%s: %s" % (line, unquote(text)))
        return text

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait(timeout=10)
        for stream in (self.proc.stdin, self.proc.stdout):
            try:
                stream.close()
            except OSError:
                pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # --- typed helpers over the protocol

    def wait_window(self, cls, timeout=DEFAULT_TIMEOUT, visible=True):
        words = ["wait", cls, int(timeout * 1000)] + ([] if visible else ["any"])
        info = fields(self.ask(*words, timeout=timeout))
        return {"hwnd": int(info["hwnd"], 0), "pid": int(info["pid"]), "tid": int(info["tid"])}

    def target(self, hwnd):
        return self.ask("target", "0x%x" % hwnd)

    def find(self, cls):
        return int(fields(self.ask("find", cls))["hwnd"], 0)

    def send(self, msg, wparam=0, lparam=0, timeout=10.0):
        return int(fields(self.ask("send", msg, wparam, lparam, int(timeout * 1000), timeout=timeout))["result"])

    def post(self, msg, wparam=0, lparam=0):
        self.ask("post", msg, wparam, lparam)

    def rect(self):
        """Window rectangle (left, top, right, bottom), screen coordinates."""
        return tuple(ints(self.ask("rect")))

    def client(self):
        """Client rectangle (left, top, right, bottom), screen coordinates."""
        return tuple(ints(self.ask("client")))

    def window_size(self):
        l, t, r, b = self.rect()
        return r - l, b - t

    def client_size(self):
        l, t, r, b = self.client()
        return r - l, b - t

    def style(self):
        f = fields(self.ask("style"))
        return int(f["style"], 0), int(f["exstyle"], 0)

    def title(self):
        return unquote(self.ask("title"))

    def class_name(self):
        return unquote(self.ask("class"))

    def metric(self, name):
        return int(self.ask("metric", name))

    def child_rect(self, control_id):
        words = self.ask("childrect", control_id).split()
        return tuple(int(w) for w in words[:4])

    def state(self):
        return {k: int(v) for k, v in fields(self.ask("state")).items()}

    def menu(self, command):
        f = fields(self.ask("menu", command))
        out = {k: int(v, 0) for k, v in f.items() if k != "text"}
        out["text"] = f.get("text", "")
        return out

    def menubar(self):
        words = self.ask("menubar").split(" ")
        return [unquote(w) for w in words[1:1 + int(words[0])]]

    def sysmenu(self):
        return {k: int(v) for k, v in fields(self.ask("sysmenu")).items()}

    def toolbar_count(self):
        return int(self.ask("tbcount"))

    def toolbar_button(self, index):
        return {k: int(v, 0) for k, v in fields(self.ask("tbbutton", index)).items()}

    def toolbar_image(self, command):
        return int(fields(self.ask("tbimage", command))["image"])

    def tooltip(self, command, route="control"):
        text = self.ask("tooltip", command, route)
        return unquote(text)

    def windows(self, cls=None, title=None):
        """Top-level windows of the target's process: list of (hwnd, class, visible, title)."""
        words = ["windows"] + (["class=" + cls] if cls else []) + (["title=" + title] if title else [])
        parts = self.ask(*words).split(" ")
        out = []
        for item in parts[1:]:
            h, c, v, t = item.split(",")
            out.append((int(h, 0), unquote(c), v == "1", unquote(t)))
        return out

    def count(self, cls=None, title=None):
        words = ["count"] + (["class=" + cls] if cls else []) + (["title=" + title] if title else [])
        return int(self.ask(*words))

    def desktop(self):
        """Visible top-level windows of the whole desktop: list of (hwnd, class, pid, title)."""
        parts = self.ask("desktop").split(" ")
        out = []
        for item in parts[1:]:
            h, c, p, t = item.split(",")
            out.append((int(h, 0), unquote(c), int(p), unquote(t)))
        return out

    def children(self):
        """Child windows of the target: list of (hwnd, control id, class, visible, text)."""
        parts = self.ask("children").split(" ")
        out = []
        for item in parts[1:]:
            h, i, c, v, t = item.split(",")
            out.append((int(h, 0), int(i), unquote(c), v == "1", unquote(t)))
        return out

    def sound(self):
        """What the prefix's sound system offers: device counts and open results (0 = opened)."""
        return {k: int(v) for k, v in fields(self.ask("sound")).items()}

    def block(self, ms):
        """Holds the target's GUI thread up for ms milliseconds (inside it, through the probe)."""
        self.ask("block", ms, timeout=DEFAULT_TIMEOUT + ms / 1000.0)

    def capture(self, path, method="window"):
        """Writes the target window (frame, caption and menu bar included) to a 24-bit BMP at path."""
        w, h = ints(self.ask("capture", "Z:" + os.path.abspath(path).replace("/", "\\"), method))
        return w, h

    def click(self, x, y):
        self.ask("click", x, y)

    def gone(self, timeout=DEFAULT_TIMEOUT):
        self.ask("gone", int(timeout * 1000), timeout=timeout)
