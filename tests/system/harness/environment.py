"""The private X server, PulseAudio null sink and Wine prefix that the system tests run in.

Environment starts Xvfb, PulseAudio (null sink "harmolab_sink") and a persistent wineserver for the
project's own Wine prefix, remembers their process ids in a state file and stops exactly those
processes again."""

import glob
import json
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
STATE_FILE = "environment.json"
# Bump when the prefix set-up below changes, so that old prefixes are rebuilt.
PREFIX_STAMP = "harmolab-prefix-3"
DESKTOP_SIZE = "1024x768"
SINK_NAME = "harmolab_sink"

# Everything waits at most this long unless told otherwise.
DEFAULT_TIMEOUT = 20.0


class HarnessError(Exception):
    """The harness could not do what a test asked (missing build, tool, window, answer)."""


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
            raise HarnessError("no test environment in %s: start it with 'harness up %s' "
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
        self._import_registry(env, "harmolab-prefix.reg", 240, "prefix set-up",
                              "REGEDIT4\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n\"Desktop\"=\"Default\"\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n\"Default\"=\"%s\"\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n\"Audio\"=\"pulse\"\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n\"ShowCrashDialog\"=dword:00000000\n\n"
                              % DESKTOP_SIZE)
        with open(os.path.join(self.prefix, PREFIX_STAMP), "w") as f:
            f.write("%s\n" % DESKTOP_SIZE)

    def _import_registry(self, env, name, timeout, what, text):
        """Writes TEXT (a REGEDIT4 file) into the state folder and imports it into the prefix."""
        reg = os.path.join(self.state_dir, name)
        with open(reg, "w", encoding="utf-8") as f:
            f.write(text)
        self._run_wine(["reg", "import", "Z:" + reg.replace("/", "\\")], env, timeout, what)

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


def test_environment():
    """The environment that CTest's fixture started (HARMOLAB_SYSTEM_STATE names its folder)."""
    state_dir = os.environ.get("HARMOLAB_SYSTEM_STATE")
    if not state_dir:
        raise HarnessError("HARMOLAB_SYSTEM_STATE is not set: run the system tests through CTest "
                           "(ctest --test-dir build/native -L system)")
    env = Environment(state_dir)
    env.require_build()
    return env.load()
