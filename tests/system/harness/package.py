"""What a Windows user downloads, read and run as such: the built packages, the resources of a PE file,
Start-menu shortcuts, and programs started from any folder in a fresh Wine prefix of their own (used by
test_package.py and tools/package_screenshots.py)."""

import os
import re
import shutil
import struct
import subprocess

from .environment import SOURCE_DIR, Environment, HarnessError
from .program import Program
from .testcase import Session

VERSION_PATTERN = re.compile(r"project\(Harmolab VERSION (\d+)\.(\d+)\.(\d+)")
SCALED_DPI = 144


def project_version():
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt")) as f:
        return tuple(int(v) for v in VERSION_PATTERN.search(f.read()).groups())


def packages(env):
    version = "%d.%d.%d" % project_version()
    dist = os.path.join(env.windows_dir, "dist")
    return (os.path.join(dist, "Harmolab-%s-win32.zip" % version),
            os.path.join(dist, "Harmolab-%s-setup.exe" % version))


# ---------------------------------------------------------------------------------------------------
# Resources of a PE file


def pe_resources(path):
    """{(type, id, language): bytes} of a PE file's resource section."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    resource_rva = struct.unpack_from("<I", data, optional + 96 + 2 * 8)[0]
    spans = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(rva):
        for virtual_size, address, raw_size, raw_at in spans:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_at + rva - address
        raise HarnessError("%s: address 0x%x is in no section" % (path, rva))

    root = offset(resource_rva)
    found = {}

    def walk(directory, key):
        named, numbered = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            entry = key + (ident if not ident & 0x80000000 else "named",)
            if target & 0x80000000:
                walk(root + (target & 0x7FFFFFFF), entry)
            else:
                rva, size = struct.unpack_from("<II", data, root + target)
                found[entry] = data[offset(rva): offset(rva) + size]

    walk(root, ())
    return found


def version_strings(block):
    """(fixed file version as 4 numbers, {translation: {name: text}}) of a version resource."""
    def nodes(start, end):
        while start + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, start)
            if length == 0:
                return
            key_end = start + 6
            while block[key_end: key_end + 2] != b"\0\0":
                key_end += 2
            value_at = (key_end + 5) & ~3
            value_end = value_at + (value_length * 2 if kind == 1 else value_length)
            yield (block[start + 6: key_end].decode("utf-16-le"), block[value_at: value_end],
                   ((value_end + 3) & ~3, start + length))
            start = (start + length + 3) & ~3

    (_, fixed, children), = nodes(0, len(block))
    ms, ls = struct.unpack_from("<II", fixed, 8)
    tables = {}
    for key, _, span in nodes(*children):
        if key == "StringFileInfo":
            for translation, _, strings in nodes(*span):
                tables[translation] = {name: value.decode("utf-16-le").rstrip("\0")
                                       for name, value, _ in nodes(*strings)}
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF), tables


# ---------------------------------------------------------------------------------------------------
# Programs started from somewhere else than a run folder of the harness


class ProgramAt(Program):
    """Harmolab.exe from a given path in a given current folder; its logs go elsewhere, so the folder
    gets nothing but what the program writes."""

    def __init__(self, env, exe, cwd, args=(), name="package"):
        super().__init__(env, args=args, name=name, images=False)
        self.log_dir = self.cwd
        self.exe, self.cwd = exe, cwd
        self.ini_path = os.path.join(cwd, "Harmolab.ini")
        self.stderr_path = os.path.join(self.log_dir, "wine-stderr.log")

    def start(self):
        with open(self.stderr_path, "wb") as err:
            self.proc = subprocess.Popen(["wine", self.exe] + self.args, cwd=self.cwd, env=self.env.env,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                         start_new_session=True)
        return self


def session_at(env, driver, exe, cwd, args=(), name="package"):
    s = Session(env, driver, args=args, name=name, images=False)
    s.program = ProgramAt(env, exe, cwd, args=args, name=name)
    return s


class FreshEnvironment(Environment):
    """An X server, sound server and Wine prefix of their own, made anew, with Wine's visual-style theme
    and at a given scaling (150 % unless told otherwise), as a user's new Windows account would be."""

    def __init__(self, state_dir, dpi=SCALED_DPI):
        shutil.rmtree(state_dir, ignore_errors=True)
        super().__init__(state_dir)
        self.dpi = dpi

    def _prepare_prefix(self, env):
        super()._prepare_prefix(env)
        self._import_registry(env, "scaling.reg", 120, "scaling set-up",
                              "REGEDIT4\n\n"
                              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:%08x\n\n"
                              "[HKEY_CURRENT_CONFIG\\Software\\Fonts]\n\"LogPixels\"=dword:%08x\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\n"
                              "\"ThemeActive\"=\"1\"\n"
                              "\"DllName\"=\"C:\\\\windows\\\\resources\\\\themes\\\\light\\\\light.msstyles\"\n"
                              "\"ColorName\"=\"Blue\"\n\"SizeName\"=\"NormalSize\"\n\n" % (self.dpi, self.dpi))

    def unix_path(self, windows_path):
        """The file behind a C: path of this prefix."""
        drive, rest = windows_path[:2], windows_path[3:]
        if drive.upper() != "C:":
            raise HarnessError("not on drive C: %s" % windows_path)
        return os.path.join(self.prefix, "drive_c", *rest.split("\\"))

    def wine_started(self, *argv):
        """A Wine program started and left running (the caller ends it)."""
        return subprocess.Popen(["wine"] + list(argv), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def wine(self, *argv, timeout=120):
        done = subprocess.run(["wine"] + list(argv), env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        return done.returncode, done.stdout.decode("utf-8", "replace")


def shell_link(path):
    """(target, working folder) of a .lnk shortcut file."""
    with open(path, "rb") as f:
        data = f.read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x01:  # item id list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = None
    if flags & 0x02:  # link info
        size, header, _, _, base = struct.unpack_from("<5I", data, at)
        if header >= 0x24:
            wide_base = struct.unpack_from("<I", data, at + 0x1C)[0]
            end = at + wide_base
            while data[end: end + 2] != b"\0\0":
                end += 2
            target = data[at + wide_base: end].decode("utf-16-le")
        else:
            target = data[at + base: data.index(b"\0", at + base)].decode("mbcs" if os.name == "nt" else "cp932")
        at += size
    texts = []
    for bit in (0x04, 0x08, 0x10):  # name, relative path, working folder
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            unicode = flags & 0x80
            raw = data[at + 2: at + 2 + count * (2 if unicode else 1)]
            texts.append(raw.decode("utf-16-le" if unicode else "cp932").rstrip("\0"))
            at += 2 + len(raw)
        else:
            texts.append(None)
    return target, texts[2]

