"""One Harmolab.exe process under Wine in a fresh working folder, with its debugger lines and exit code."""

import os
import re
import signal
import subprocess

from .environment import DEFAULT_TIMEOUT, SOURCE_DIR, HarnessError

DEBUG_LINE = re.compile(r'OutputDebugString([AW]) (L?)"(.*)"\s*$')


def end_process(proc, sig=signal.SIGTERM, timeout=5.0):
    """Asks a process of ours to end with a signal, kills it when it does not within the timeout."""
    if proc.poll() is None:
        proc.send_signal(sig)
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=timeout)


def decode_debug_text(escaped):
    """Undoes Wine's escaping of debugger text (\\r, \\n, \\t, \\\\, \\", \\xNN, \\NNN)."""
    out = []
    i = 0
    simple = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}
    while i < len(escaped):
        c = escaped[i]
        if c != "\\" or i + 1 == len(escaped):
            out.append(c)
            i += 1
            continue
        n = escaped[i + 1]
        m = re.match(r"x([0-9a-fA-F]{2})|u([0-9a-fA-F]{4})|([0-7]{3})", escaped[i + 1:])
        if m:
            value = m.group(1) or m.group(2)
            out.append(chr(int(value, 16)) if value else chr(int(m.group(3), 8)))
            i += 1 + len(m.group(0))
        else:
            out.append(simple.get(n, n))
            i += 2
    return "".join(out)


def parse_debug_output(text):
    """The debugger strings in a Wine stderr text, in order, with their \\r\\n endings kept."""
    strings = []
    for line in text.splitlines():
        m = DEBUG_LINE.search(line)
        if m:
            strings.append(decode_debug_text(m.group(3)))
    return strings


class Program:
    """One Harmolab.exe process running in its own fresh working folder."""

    def __init__(self, env, args=(), ini=None, name=None, images=True, files=None):
        """args: command-line arguments; ini: bytes or text for Harmolab.ini placed beforehand;
        images: give the run the Tunerimg folder of the build when there is one; files: {name: bytes}."""
        self.env = env
        self.args = [str(a) for a in args]
        self.cwd = env.run_dir(name or "harmolab-" + ("_".join(self.args) or "all"))
        self.ini_path = os.path.join(self.cwd, "Harmolab.ini")
        if ini is not None:
            with open(self.ini_path, "wb") as f:
                f.write(ini.encode("utf-8") if isinstance(ini, str) else ini)
        for fname, data in (files or {}).items():
            with open(os.path.join(self.cwd, fname), "wb") as f:
                f.write(data)
        if images:
            self._link_images()
        self.stderr_path = os.path.join(self.cwd, "wine-stderr.log")
        # Variables added to the environment of this program only (set before start()).
        self.extra_env = {}
        self.proc = None
        self.returncode = None

    def _link_images(self):
        # The tuner and metronome screens load Tunerimg/*.bmp from the working folder; the build puts
        # them beside Harmolab.exe. HARMOLAB_TUNERIMG names another folder of them.
        bases = (self.env.windows_dir, SOURCE_DIR, os.path.join(SOURCE_DIR, "resources"))
        candidates = [os.environ.get("HARMOLAB_TUNERIMG")] + [os.path.join(b, "Tunerimg") for b in bases]
        for folder in candidates:
            if folder and os.path.isdir(folder):
                os.symlink(folder, os.path.join(self.cwd, "Tunerimg"))
                return

    def start(self):
        self.env.require_build()
        out = open(os.path.join(self.cwd, "wine-stdout.log"), "wb")
        err = open(self.stderr_path, "wb")
        self.proc = subprocess.Popen(["wine", self.env.exe] + self.args, cwd=self.cwd, env=dict(self.env.env, **self.extra_env),
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=err, start_new_session=True)
        out.close()
        err.close()
        return self

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def wait(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the process to end and returns its exit code; HarnessError when it does not end."""
        try:
            self.returncode = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("Harmolab.exe %s did not exit within %.0f s" % (" ".join(self.args), timeout))
        return self.returncode

    def kill(self):
        """Ends the process if it still runs (only this process, by its id)."""
        if self.running():
            self.proc.kill()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def stderr_text(self):
        try:
            with open(self.stderr_path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def debug_strings(self):
        """Every OutputDebugString text so far, in order (each normally ends in \\r\\n)."""
        return parse_debug_output(self.stderr_text())

    def debug_lines(self):
        """The debugger output split into lines without their line ends."""
        text = "".join(self.debug_strings())
        lines = re.split(r"\r\n|\n|\r", text)
        return lines[:-1] if lines and lines[-1] == "" else lines

    def ini_exists(self):
        return os.path.exists(self.ini_path)

    def read_ini(self):
        with open(self.ini_path, "rb") as f:
            return f.read()
