#!/usr/bin/env python3
"""Runs Harmolab.exe under Wine on a private X server and sound server, and observes it for the system tests.

Three layers, each usable alone:
  Environment  starts Xvfb, PulseAudio (null sink "harmolab_sink") and a persistent wineserver for the
               project's own Wine prefix, remembers their process ids in a state file and stops exactly
               those processes again;
  Program      one Harmolab.exe process in a fresh working folder, with its debugger lines and exit code;
  Driver       one harmodrv.exe session: line commands that find, steer and observe windows.
Session ties them together for a test; Image reads the driver's BMP captures and writes PNGs.

Command line (used by the CTest fixture and by scripts/run):
  harmolab.py up STATE_DIR          start the environment (Wine prefix initialised on first use)
  harmolab.py down STATE_DIR        stop what "up" started
  harmolab.py screenshot STATE_DIR OUT.png [ARGS...]
                                    start Harmolab with ARGS, capture its window, quit it
Python standard library only.
"""

import glob
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import zlib

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
STATE_FILE = "environment.json"
# Bump when the prefix set-up below changes, so that old prefixes are rebuilt.
PREFIX_STAMP = "harmolab-prefix-3"
DESKTOP_SIZE = "1024x768"
SINK_NAME = "harmolab_sink"

# Window classes (and titles) by launch mode (-1: all tools, no argument).
CLASS_ALL_TOOLS = "Zindle_Tuner_Spectrum"
CLASS_SPECTRUM = "ZindleSPECTRUM"
CLASS_TUNER = "ZindleTUNER"
CLASS_METRONOME = "ZindleMETRONOME"
CLASS_BY_MODE = {-1: CLASS_ALL_TOOLS, 0: CLASS_SPECTRUM, 1: CLASS_TUNER, 2: CLASS_METRONOME}

# Window messages and commands the tests send.
WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
WM_APP_GO_SPECTRUM = 1026
WM_APP_GO_TUNER = 1027
WM_APP_GO_METRONOME = 1028
IDOK = 1

WS_MINIMIZEBOX = 0x00020000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000

# Everything waits at most this long unless told otherwise.
DEFAULT_TIMEOUT = 20.0


class HarnessError(Exception):
    """The harness could not do what a test asked (missing build, tool, window, answer)."""


# ---------------------------------------------------------------------------------------------------
# Environment


def _required_tools():
    return ["Xvfb", "pulseaudio", "pactl", "wine", "wineserver"]


def _check_tools():
    missing = [t for t in _required_tools() if shutil.which(t) is None]
    if missing:
        raise HarnessError("missing %s: run scripts/setup first" % ", ".join(missing))


def _proc_cmdline(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read().replace(b"\0", b" ").decode("utf-8", "replace").strip()
    except OSError:
        return None


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie still answers kill(0); /proc tells it apart.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(") ", 1)[1][0] != "Z"
    except (OSError, IndexError):
        return False


def _start_ticks(pid):
    """When a process started (clock ticks since boot): with the id, it names one process for good."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return int(f.read().rsplit(") ", 1)[1].split()[19])
    except (OSError, IndexError, ValueError):
        return None


def _stop_pid(pid, signature, started, timeout=5.0):
    """Stops one process we started, if it is still that process (same command and start time)."""
    cmdline = _proc_cmdline(pid)
    if cmdline is None or not _alive(pid) or signature not in cmdline or _start_ticks(pid) != started:
        return
    for sig, wait in ((signal.SIGTERM, timeout), (signal.SIGKILL, 2.0)):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            try:
                # Reap it when it is our child; otherwise just poll.
                if os.waitpid(pid, os.WNOHANG)[0] == pid:
                    return
            except ChildProcessError:
                pass
            if not _alive(pid):
                return
            time.sleep(0.05)


class Environment:
    """The X server, sound server and Wine prefix shared by all programs of one test run."""

    def __init__(self, state_dir, windows_dir=None):
        self.state_dir = os.path.abspath(state_dir)
        self.windows_dir = os.path.abspath(
            windows_dir or os.environ.get("HARMOLAB_WINDOWS_DIR") or os.path.join(SOURCE_DIR, "build", "windows"))
        self.prefix = os.path.join(self.state_dir, "wineprefix")
        self.log_dir = os.path.join(self.state_dir, "logs")
        self.runs_dir = os.path.join(self.state_dir, "runs")
        self.state = None

    # --- paths of the build output

    @property
    def exe(self):
        return os.path.join(self.windows_dir, "Harmolab.exe")

    @property
    def driver_exe(self):
        return os.path.join(self.windows_dir, "harmodrv.exe")

    def require_build(self):
        missing = [p for p in (self.exe, self.driver_exe, os.path.join(self.windows_dir, "harmoprobe.dll"))
                   if not os.path.isfile(p)]
        if missing:
            raise HarnessError(
                "the Windows build output is missing (%s): build it first with "
                "'cmake --preset windows && cmake --build --preset windows'" % ", ".join(missing))

    # --- process environment for everything that runs under Wine

    def base_env(self, display, runtime_dir):
        env = dict(os.environ)
        for name in ("LANGUAGE", "WINEARCH", "WINELOADER", "WINESERVER", "PULSE_SERVER", "PULSE_SINK",
                     "PULSE_SOURCE"):
            env.pop(name, None)
        env.update({
            "DISPLAY": display,
            "XDG_RUNTIME_DIR": runtime_dir,
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win32",
            "WINEDEBUG": "-all,+debugstr",
            # No Mono or Gecko install prompts, no menu entries written into the host's desktop.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "LANG": "ja_JP.UTF-8",
            "LC_ALL": "ja_JP.UTF-8",
        })
        return env

    @property
    def env(self):
        if self.state is None:
            self.load()
        return dict(self.state["env"])

    def state_path(self):
        return os.path.join(self.state_dir, STATE_FILE)

    def load(self):
        try:
            with open(self.state_path()) as f:
                self.state = json.load(f)
        except FileNotFoundError:
            raise HarnessError("no test environment in %s: start it with 'harmolab.py up %s' "
                               "(CTest does this in the fixture test)" % (self.state_dir, self.state_dir))
        for entry in self.state["processes"]:
            if not _alive(entry["pid"]):
                raise HarnessError("the test environment's %s (pid %d) is gone; see %s"
                                   % (entry["name"], entry["pid"], self.log_dir))
        return self

    def _write_state(self):
        tmp = self.state_path() + ".tmp"
        with open(tmp, "w") as f:
            json.dump(self.state, f, indent=2)
        os.replace(tmp, self.state_path())

    def _spawn(self, name, argv, env, **kwargs):
        log = open(os.path.join(self.log_dir, name + ".log"), "ab")
        proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                start_new_session=True, **kwargs)
        log.close()
        # Record the process before waiting on it, so that "down" stops it even if "up" fails later.
        self.state["processes"].append({"name": name, "pid": proc.pid, "signature": os.path.basename(argv[0]),
                                        "started": _start_ticks(proc.pid)})
        self._write_state()
        return proc

    def _runtime_dir(self):
        # A Unix socket path is limited to 108 bytes; fall back to a short private folder when the
        # build tree is too deep for ".../pulse/native".
        path = os.path.join(self.state_dir, "xdg")
        if len(path) > 80:
            path = tempfile.mkdtemp(prefix="harmolab-xdg-")
        os.makedirs(path, exist_ok=True)
        os.chmod(path, 0o700)
        return path

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        proc = self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                                    "-nolisten", "tcp", "-noreset"], dict(os.environ), pass_fds=(write_fd,))
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or proc.poll() is not None:
                os.close(read_fd)
                raise HarnessError("Xvfb did not start; see %s" % os.path.join(self.log_dir, "xvfb.log"))
            ready, _, _ = select.select([read_fd], [], [], remaining)
            if ready:
                chunk = os.read(read_fd, 32)
                if not chunk:
                    continue
                number += chunk
        os.close(read_fd)
        return ":" + number.decode().strip()

    def _start_pulseaudio(self, env):
        self._spawn("pulseaudio", [
            "pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disallow-exit",
            "--load=module-null-sink sink_name=%s" % SINK_NAME,
            "--load=module-native-protocol-unix",
        ], env)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            done = subprocess.run(["pactl", "info"], env=dict(env, LC_ALL="C"), stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, timeout=10)
            if done.returncode == 0 and ("Default Sink: %s" % SINK_NAME).encode() in done.stdout:
                return
            time.sleep(0.1)
        raise HarnessError("PulseAudio did not start; see %s" % os.path.join(self.log_dir, "pulseaudio.log"))

    def _run_wine(self, argv, env, timeout, what):
        log = os.path.join(self.log_dir, "wine-setup.log")
        with open(log, "ab") as out:
            try:
                done = subprocess.run(["wine"] + argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                      timeout=timeout)
            except subprocess.TimeoutExpired:
                raise HarnessError("%s took longer than %d s; see %s" % (what, timeout, log))
        if done.returncode != 0:
            raise HarnessError("%s failed (exit %d); see %s" % (what, done.returncode, log))

    def _prefix_ready(self):
        return os.path.exists(os.path.join(self.prefix, PREFIX_STAMP))

    def _start_wineserver(self, env):
        # A persistent server keeps every later Wine start short (a tenth of a second instead of one or
        # more). Wine finds its server by the prefix folder's device and inode, so the folder must not be
        # replaced while it runs.
        os.makedirs(self.prefix, exist_ok=True)
        proc = self._spawn("wineserver", ["wineserver", "-f", "-p"], env)
        st = os.stat(self.prefix)
        server_dir = "server-%x-%x" % (st.st_dev, st.st_ino)
        tmp = os.environ.get("TMPDIR") or "/tmp"
        # Upstream Wine keeps the socket in /tmp/.wine-UID; Debian's in a random folder under TMPDIR.
        patterns = [os.path.join(tmp, ".wine-%d" % os.getuid(), server_dir, "socket"),
                    os.path.join(tmp, "wine-*", server_dir, "socket")]
        deadline = time.monotonic() + 10
        while not any(glob.glob(p) for p in patterns):
            if proc.poll() is not None or time.monotonic() > deadline:
                raise HarnessError("wineserver did not start; see %s" % os.path.join(self.log_dir, "wineserver.log"))
            time.sleep(0.02)
        return proc

    def _prepare_prefix(self, env):
        """Initialises a new prefix and sets its registry.

        The first Wine command on an empty prefix runs wineboot --init by itself and waits for it; an
        explicit "wineboot -i" on top would start a second set of services (two service managers),
        after which every new desktop waits ten seconds for an RPC service that never answers."""
        # One desktop for every program of the prefix, with captions and frames, so that windows of
        # different processes see each other and client metrics are those of a framed window.
        reg = os.path.join(self.state_dir, "harmolab-prefix.reg")
        with open(reg, "w", encoding="utf-8") as f:
            f.write("REGEDIT4\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n\"Desktop\"=\"Default\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n\"Default\"=\"%s\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n\"Audio\"=\"pulse\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n\"ShowCrashDialog\"=dword:00000000\n\n"
                    % DESKTOP_SIZE)
        self._run_wine(["reg", "import", "Z:" + reg.replace("/", "\\")], env, 240, "prefix set-up")
        with open(os.path.join(self.prefix, PREFIX_STAMP), "w") as f:
            f.write("%s\n" % DESKTOP_SIZE)

    def up(self):
        """Starts everything; returns the seconds taken. Stops what it started if a step fails."""
        _check_tools()
        started = time.monotonic()
        if os.path.exists(self.state_path()):
            self.down()
        os.makedirs(self.log_dir, exist_ok=True)
        os.makedirs(self.runs_dir, exist_ok=True)
        self.state = {"processes": [], "env": {}}
        self._write_state()
        try:
            display = self._start_xvfb()
            runtime_dir = self._runtime_dir()
            env = self.base_env(display, runtime_dir)
            self.state["env"] = env
            self.state["runtime_dir"] = runtime_dir
            self._write_state()
            self._start_pulseaudio(env)
            fresh = not self._prefix_ready()
            if fresh and os.path.exists(self.prefix):
                shutil.rmtree(self.prefix)
            server = self._start_wineserver(env)
            if fresh:
                self._prepare_prefix(env)
                # The desktop that the first start opened predates the virtual-desktop keys (its windows
                # would be bare X11 windows without caption or frame): end everything of the new prefix
                # and start the server again, so that the next program opens the configured desktop.
                subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=30)
                try:
                    server.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    raise HarnessError("wineserver did not stop after the prefix set-up")
                self.state["processes"] = [p for p in self.state["processes"] if p["pid"] != server.pid]
                self._write_state()
                self._start_wineserver(env)
            self.state["fresh_prefix"] = fresh
            self._write_state()
        except BaseException:
            self.down()
            raise
        return time.monotonic() - started

    def down(self):
        """Stops exactly the processes that "up" started (and the prefix's Wine processes)."""
        try:
            with open(self.state_path()) as f:
                state = json.load(f)
        except (FileNotFoundError, ValueError):
            return
        env = state.get("env") or {}
        if env.get("WINEPREFIX"):
            try:
                subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=20)
            except (subprocess.TimeoutExpired, OSError):
                pass
        for entry in reversed(state.get("processes", [])):
            _stop_pid(entry["pid"], entry["signature"], entry.get("started"))
        runtime_dir = state.get("runtime_dir")
        if runtime_dir and runtime_dir.startswith(tempfile.gettempdir() + "/harmolab-xdg-"):
            shutil.rmtree(runtime_dir, ignore_errors=True)
        os.remove(self.state_path())
        self.state = None

    def run_dir(self, name):
        """A fresh working folder for one program run, kept after the run for inspection."""
        os.makedirs(self.runs_dir, exist_ok=True)
        safe = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)[:60]
        return tempfile.mkdtemp(prefix=safe + "-", dir=self.runs_dir)


# ---------------------------------------------------------------------------------------------------
# Harmolab.exe


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
        self.proc = subprocess.Popen(["wine", self.env.exe] + self.args, cwd=self.cwd, env=self.env.env,
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


# ---------------------------------------------------------------------------------------------------
# harmodrv.exe


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

    def capture(self, path, method="window"):
        """Writes the target window (frame, caption and menu bar included) to a 24-bit BMP at path."""
        w, h = ints(self.ask("capture", "Z:" + os.path.abspath(path).replace("/", "\\"), method))
        return w, h

    def click(self, x, y):
        self.ask("click", x, y)

    def gone(self, timeout=DEFAULT_TIMEOUT):
        self.ask("gone", int(timeout * 1000), timeout=timeout)


# ---------------------------------------------------------------------------------------------------
# Pictures


class Image:
    """A 24-bit RGB picture: width, height and rows of bytes (R, G, B per pixel), top row first."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    @classmethod
    def read_bmp(cls, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise HarnessError("%s is not a BMP file" % path)
        offset = struct.unpack_from("<I", data, 10)[0]
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise HarnessError("%s: only 24-bit BMP files are read (this one has %d bits)" % (path, bits))
        stride = (width * 3 + 3) & ~3
        rows = []
        for y in range(abs(height)):
            src = y if height < 0 else abs(height) - 1 - y
            bgr = data[offset + src * stride: offset + src * stride + width * 3]
            rgb = bytearray(len(bgr))
            rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
            rows.append(bytes(rgb))
        return cls(width, abs(height), rows)

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x: 3 * x + 3])

    def crop(self, left, top, right, bottom):
        return Image(right - left, bottom - top, [r[3 * left: 3 * right] for r in self.rows[top:bottom]])

    def colours(self):
        """The set of distinct colours."""
        seen = set()
        for row in self.rows:
            for i in range(0, len(row), 3):
                seen.add(row[i: i + 3])
        return {tuple(c) for c in seen}

    def count_where(self, predicate):
        n = 0
        for row in self.rows:
            for i in range(0, len(row), 3):
                if predicate(row[i], row[i + 1], row[i + 2]):
                    n += 1
        return n

    def difference(self, other, tolerance=0):
        """Fraction of pixels whose channels differ by more than tolerance (pictures of one size)."""
        if (self.width, self.height) != (other.width, other.height):
            raise HarnessError("pictures differ in size: %dx%d and %dx%d"
                               % (self.width, self.height, other.width, other.height))
        differing = 0
        for a, b in zip(self.rows, other.rows):
            if a == b:
                continue
            for i in range(0, len(a), 3):
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance:
                    differing += 1
        return differing / float(self.width * self.height)

    def write_png(self, path):
        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

        raw = b"".join(b"\0" + row for row in self.rows)
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(png)
        return path


def bmp_to_png(bmp_path, png_path):
    return Image.read_bmp(bmp_path).write_png(png_path)


# ---------------------------------------------------------------------------------------------------
# A test's view: one program and a driver watching it


class Session:
    """Starts Harmolab with arguments, waits for its main window and offers the driver on it.

    with Session(env, driver, args=["1"]) as s:
        s.driver.menu(40010) ...
        code = s.quit()
    On leaving, a program that still runs is closed (or killed) so that the next test starts clean.
    """

    def __init__(self, env, driver, args=(), ini=None, cls=None, name=None, images=True, timeout=DEFAULT_TIMEOUT,
                 dismiss_boxes=False):
        """cls: the class (or list of classes) of the main window to wait for; by default the class
        that the launch mode of args selects. A message box during start-up fails the start, unless
        dismiss_boxes: then it is answered with OK and its texts are kept in start_boxes."""
        self.env = env
        self.driver = driver
        self.program = Program(env, args=args, ini=ini, name=name, images=images)
        if cls is None:
            cls = CLASS_BY_MODE[launch_mode(args)]
        self.classes = [cls] if isinstance(cls, str) else list(cls)
        self.timeout = timeout
        self.dismiss_boxes = dismiss_boxes
        self.start_boxes = []
        self.window = None

    def __enter__(self):
        for cls in self.classes:
            if self.driver.find(cls):
                raise HarnessError("a window of class %s exists before the start (a previous run still "
                                   "lives)" % cls)
        self.program.start()
        try:
            self.window = self._wait_for_window()
        except BaseException:
            self.program.kill()
            raise
        return self

    def _wait_for_window(self):
        deadline = time.monotonic() + self.timeout
        wanted = "|".join(quote(c) for c in self.classes)
        while True:
            ok, text = self.driver.raw("wait %s 250" % wanted, timeout=10)
            if ok:
                info = fields(text)
                return {"hwnd": int(info["hwnd"], 0), "pid": int(info["pid"]), "tid": int(info["tid"])}
            if not self.program.running():
                raise HarnessError("Harmolab.exe %s exited with code %s before showing a window of class %s; "
                                   "debugger output: %r" % (" ".join(self.program.args), self.program.proc.returncode,
                                                            " or ".join(self.classes), self.program.debug_strings()))
            boxes = [w for w in self.driver.desktop() if w[1] == "#32770"]
            if boxes:
                text = self.box_text(boxes[0][0])
                if not self.dismiss_boxes:
                    raise HarnessError("a message box %r appeared while Harmolab.exe %s started (working folder %s)"
                                       % (text, " ".join(self.program.args), self.program.cwd))
                self.start_boxes.append(text)
                self.driver.post(WM_COMMAND, IDOK, 0)
                time.sleep(0.1)
            if time.monotonic() > deadline:
                raise HarnessError("no visible window of class %s within %.0f s; windows on the desktop: %r"
                                   % (" or ".join(self.classes), self.timeout, self.driver.desktop()))

    def box_text(self, hwnd):
        """Title and texts of a dialog or message box; leaves the driver's target on that box."""
        self.driver.target(hwnd)
        texts = [c[4] for c in self.driver.children() if c[4]]
        return [self.driver.title()] + texts

    def retarget(self):
        """Makes the main window the driver's target again (after looking at another window)."""
        self.driver.target(self.window["hwnd"])

    def __exit__(self, *exc):
        if self.program.running():
            try:
                self.retarget()
                self.driver.post(WM_CLOSE)
                self.program.wait(timeout=10)
            except HarnessError:
                self.program.kill()

    def command(self, command_id, timeout=10.0):
        """Sends WM_COMMAND for a menu or toolbar command, as a click on it would."""
        return self.driver.send(WM_COMMAND, command_id, 0, timeout=timeout)

    def quit(self, how="quit", timeout=DEFAULT_TIMEOUT):
        """Ends the program through the Quit command, the close box (WM_CLOSE) or the system menu's
        Close (WM_SYSCOMMAND SC_CLOSE); returns its exit code."""
        self.retarget()
        if how == "quit":
            self.driver.post(WM_COMMAND, 40004, 0)
        elif how == "close":
            self.driver.post(WM_CLOSE)
        elif how == "sysclose":
            self.driver.post(WM_SYSCOMMAND, SC_CLOSE, 0)
        else:
            raise ValueError(how)
        return self.program.wait(timeout=timeout)

    def capture(self, name, method="window"):
        """Captures the main window into the run folder; returns (Image, png_path)."""
        bmp = os.path.join(self.program.cwd, name + ".bmp")
        self.driver.capture(bmp, method)
        image = Image.read_bmp(bmp)
        return image, image.write_png(os.path.join(self.program.cwd, name + ".png"))


# ---------------------------------------------------------------------------------------------------
# Settings files


def parse_ini(data):
    """The sections of an initialization file in file order: [(SECTION, [(KEY, value), ...]), ...]."""
    text = data.decode("utf-8", "replace") if isinstance(data, bytes) else data
    sections = []
    for line in re.split(r"\r\n|\n|\r", text):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], []))
        elif "=" in line and sections:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
    return sections


def ini_values(data):
    """{(SECTION, KEY): value} of an initialization file (upper-cased names)."""
    return {(sec.upper(), key.upper()): value for sec, keys in parse_ini(data) for key, value in keys}


def make_ini(entries):
    """Initialization-file text (CR LF lines) from [(SECTION, KEY, value), ...], sections grouped in
    first-appearance order."""
    order, grouped = [], {}
    for sec, key, value in entries:
        if sec not in grouped:
            order.append(sec)
            grouped[sec] = []
        grouped[sec].append((key, value))
    lines = []
    for sec in order:
        lines.append("[%s]" % sec)
        lines.extend("%s=%s" % kv for kv in grouped[sec])
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


# ---------------------------------------------------------------------------------------------------
# Base of the system tests


class SystemTestCase(unittest.TestCase):
    """One driver per test class on the environment of the CTest fixture; session() starts Harmolab."""

    env = None
    driver = None

    @classmethod
    def setUpClass(cls):
        cls.env = test_environment()
        cls.driver = Driver(cls.env)

    @classmethod
    def tearDownClass(cls):
        if cls.driver is not None:
            cls.driver.close()

    def session(self, args=(), **kwargs):
        kwargs.setdefault("name", "%s-%s" % (self.id().rsplit(".", 1)[-1], "_".join(str(a) for a in args) or "all"))
        return Session(self.env, self.driver, args=args, **kwargs)


def launch_mode(args):
    """The launch mode that the command line selects: -1 all tools, 0 spectrum, 1 tuner, 2 metronome."""
    args = [str(a) for a in args]
    if not args:
        return -1
    m = re.match(r"\s*([+-]?\d+)", args[0])
    value = int(m.group(1)) if m else 0
    return value if 0 <= value <= 2 else -1


def test_environment():
    """The environment that CTest's fixture started (HARMOLAB_SYSTEM_STATE names its folder)."""
    state_dir = os.environ.get("HARMOLAB_SYSTEM_STATE")
    if not state_dir:
        raise HarnessError("HARMOLAB_SYSTEM_STATE is not set: run the system tests through CTest "
                           "(ctest --test-dir build/native -L system)")
    env = Environment(state_dir)
    env.require_build()
    return env.load()


# ---------------------------------------------------------------------------------------------------
# Command line


def _screenshot(state_dir, out_png, args):
    env = Environment(state_dir)
    env.require_build()
    env.up()
    try:
        with Driver(env) as driver, Session(env, driver, args=args, name="screenshot") as s:
            # Let the first paint finish before copying the window.
            time.sleep(1.0)
            image, png = s.capture("screenshot")
            shutil.copyfile(png, out_png)
            s.quit()
    finally:
        env.down()
    return out_png


def main(argv):
    if len(argv) >= 2 and argv[0] == "up":
        seconds = Environment(argv[1]).up()
        print("test environment up in %.1f s" % seconds)
        return 0
    if len(argv) >= 2 and argv[0] == "down":
        Environment(argv[1]).down()
        print("test environment stopped")
        return 0
    if len(argv) >= 3 and argv[0] == "screenshot":
        print(_screenshot(argv[1], os.path.abspath(argv[2]), argv[3:]))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except HarnessError as e:
        sys.stderr.write("harmolab.py: %s\n" % e)
        sys.exit(1)
