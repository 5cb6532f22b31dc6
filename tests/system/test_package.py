#!/usr/bin/env python3
"""The downloads a Windows user gets: the manifest and version resource read back out of the built files,
the portable zip unzipped into a folder whose name has a space and Japanese characters and started from
another current folder, and the installer run silently in a fresh Wine prefix at 150 % scaling (LogPixels
144), started from its Start-menu shortcut, pressed with the pointer, and uninstalled again."""

import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest
import zipfile

import harmolab as h
from test_metronome_sound import DEFAULT_TONES, classify, click_onsets, click_tone
from test_sound_out import RATE, MonitorRecording

VERSION_PATTERN = re.compile(r"project\(Harmolab VERSION (\d+)\.(\d+)\.(\d+)")
ZIP_CONTENTS = {"Harmolab.exe", "Melodex.dll", "click_accent.wav", "click.wav", "README.txt"}
ZIP_FOLDERS = {"Tunerimg": 176, "TunerHELP": None}
UNZIP_FOLDER = "ハーモ ラボ Harmolab"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Harmolab"
SCALED_DPI = 144
# The instrument-panel switch of the tuner at half size (picture coordinates); a press turns the
# instrument mode on, which the settings file shows as INST/STATUS.
PANEL_SWITCH = (20, 217)
WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0201, 0x0202, 0x0001


def project_version():
    with open(os.path.join(h.SOURCE_DIR, "CMakeLists.txt")) as f:
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
        raise h.HarnessError("%s: address 0x%x is in no section" % (path, rva))

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


class ProgramAt(h.Program):
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
    s = h.Session(env, driver, args=args, name=name, images=False)
    s.program = ProgramAt(env, exe, cwd, args=args, name=name)
    return s


class FreshEnvironment(h.Environment):
    """An X server, sound server and Wine prefix of their own, made anew, with Wine's visual-style theme
    and at a given scaling (150 % unless told otherwise), as a user's new Windows account would be."""

    def __init__(self, state_dir, dpi=SCALED_DPI):
        shutil.rmtree(state_dir, ignore_errors=True)
        super().__init__(state_dir)
        self.dpi = dpi

    def _prepare_prefix(self, env):
        super()._prepare_prefix(env)
        reg = os.path.join(self.state_dir, "scaling.reg")
        with open(reg, "w", encoding="utf-8") as f:
            f.write("REGEDIT4\n\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:%08x\n\n"
                    "[HKEY_CURRENT_CONFIG\\Software\\Fonts]\n\"LogPixels\"=dword:%08x\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\n"
                    "\"ThemeActive\"=\"1\"\n"
                    "\"DllName\"=\"C:\\\\windows\\\\resources\\\\themes\\\\light\\\\light.msstyles\"\n"
                    "\"ColorName\"=\"Blue\"\n\"SizeName\"=\"NormalSize\"\n\n" % (self.dpi, self.dpi))
        self._run_wine(["reg", "import", "Z:" + reg.replace("/", "\\")], env, 120, "scaling set-up")

    def unix_path(self, windows_path):
        """The file behind a C: path of this prefix."""
        drive, rest = windows_path[:2], windows_path[3:]
        if drive.upper() != "C:":
            raise h.HarnessError("not on drive C: %s" % windows_path)
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


def wait_until(condition, timeout, step=0.2):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()


# ---------------------------------------------------------------------------------------------------


class Package(h.SystemTestCase):
    def test_manifest_and_version_read_back_from_the_built_files(self):
        version = project_version()
        exe = pe_resources(os.path.join(self.env.windows_dir, "Harmolab.exe"))
        manifests = [data.decode("utf-8") for key, data in exe.items() if key[:2] == (24, 1)]
        self.assertEqual(len(manifests), 1, "one manifest with id 1")
        manifest = manifests[0]
        self.assertRegex(manifest, r'name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
        self.assertIn('level="asInvoker"', manifest)
        self.assertIn("PerMonitorV2", manifest)
        self.assertIn(">true/pm</dpiAware>", manifest)
        for windows_7_to_11 in ("35138b9a", "4a2f28e3", "1f676c76", "8e0f7a12"):
            self.assertIn("supportedOS Id=\"{%s" % windows_7_to_11, manifest)
        for name, description in (("Harmolab.exe", "music-practice tool"), ("Melodex.dll", "pitch-following")):
            with self.subTest(name):
                resources = pe_resources(os.path.join(self.env.windows_dir, name))
                blocks = [data for key, data in resources.items() if key[0] == 16]
                self.assertEqual(len(blocks), 1, "one version resource")
                fixed, tables = version_strings(blocks[0])
                self.assertEqual(fixed, version + (0,))
                self.assertEqual(set(tables), {"041104B0", "040904B0"}, "Japanese and English strings")
                for strings in tables.values():
                    self.assertEqual(strings["ProductVersion"], "%d.%d.%d" % version)
                    self.assertEqual(strings["ProductName"], "Harmolab")
                    self.assertEqual(strings["OriginalFilename"], name)
                    self.assertIn("2026 ", strings["LegalCopyright"])
                self.assertIn(description, tables["040904B0"]["FileDescription"])
                self.assertRegex(tables["041104B0"]["FileDescription"], r"[\u3040-\u30ff\u4e00-\u9fff]")

    def test_portable_zip_works_from_a_japanese_folder_started_elsewhere(self):
        zip_path, _ = packages(self.env)
        base = self.env.run_dir("portable")
        folder = os.path.join(base, UNZIP_FOLDER)
        with zipfile.ZipFile(zip_path) as z:
            names = z.namelist()
            z.extractall(folder)
        top = {n.split("/")[0] for n in names}
        self.assertEqual(top, ZIP_CONTENTS | set(ZIP_FOLDERS), "what the zip holds")
        self.assertEqual(len([n for n in names if n.startswith("Tunerimg/") and n.endswith(".bmp")]), 176)
        self.assertIn("TunerHELP/index.html", names)
        elsewhere = os.path.join(base, "elsewhere")
        os.makedirs(elsewhere)
        exe = os.path.join(folder, "Harmolab.exe")
        # Metronome only: all the pictures load at the start (a missing one shows "File Error", which
        # fails the start), then the clicks play from the files beside the program.
        with session_at(self.env, self.driver, exe, elsewhere, args=["2", "120", "3"], name="portable") as s:
            raw = os.path.join(s.program.log_dir, "clicks.raw")
            with MonitorRecording(self.env, raw) as recording:
                s.command(h.IDM_POWER)
                time.sleep(4.0)
                s.command(h.IDM_POWER)
                samples = recording.stop()
            picture = os.path.join(s.program.log_dir, "window.bmp")
            self.driver.capture(picture)
            self.assertEqual(s.quit(), 0)
        colours = h.Image.read_bmp(picture).colours()
        self.assertGreater(len(colours), 20, "the metronome picture is drawn")
        kinds = [classify(click_tone(samples, o), DEFAULT_TONES) for o in click_onsets(samples)]
        self.assertGreaterEqual(len(kinds), 4, "clicks heard: %s" % kinds)
        self.assertNotIn("?", kinds, "each click has its sound's tone")
        self.assertEqual(sorted(os.listdir(elsewhere)), [], "nothing written into the current folder")

    def test_installer_in_a_fresh_prefix_at_150_percent(self):
        _, setup = packages(self.env)
        fresh = FreshEnvironment(os.path.join(self.env.state_dir, "installer"))
        fresh.up()
        try:
            self.install_start_uninstall(fresh, setup)
        finally:
            fresh.down()

    def install_start_uninstall(self, fresh, setup):
        code, _ = fresh.wine(setup, "/S")
        self.assertEqual(code, 0, "silent install")
        code, text = fresh.wine("reg", "query", UNINSTALL_KEY)
        self.assertEqual(code, 0, "registered for Apps & Features")
        values = dict(re.findall(r"^\s*(\w+)\s+REG_\w+\s+(.*?)\s*$", text, re.M))
        self.assertEqual(values.get("DisplayVersion"), "%d.%d.%d" % project_version())
        self.assertRegex(values.get("InstallLocation", ""), r"(?i)\\AppData\\Local\\Programs\\Harmolab$")
        install = fresh.unix_path(values["InstallLocation"])
        links = glob.glob(os.path.join(fresh.prefix, "drive_c", "users", "*", "AppData", "Roaming", "Microsoft",
                                       "Windows", "Start Menu", "Programs", "Harmolab.lnk"))
        self.assertEqual(len(links), 1, "one Start-menu shortcut")
        target, working = shell_link(links[0])
        self.assertEqual(target.lower(), values["InstallLocation"].lower() + "\\harmolab.exe")
        self.assertEqual(working.lower(), values["InstallLocation"].lower())

        with h.Driver(fresh) as driver:
            with session_at(fresh, driver, fresh.unix_path(target), fresh.unix_path(working), name="installed") as s:
                driver.send(h.WM_APP_GO_TUNER)
                time.sleep(0.5)
                boxes = [w for w in driver.desktop() if w[1] == "#32770"]
                self.assertEqual(boxes, [], "no message box (a missing picture shows File Error)")
                s.retarget()
                self.assert_scaled_picture(driver, s)
                self.press_panel_switch(fresh, driver, s)
                self.assertEqual(s.quit(), 0)
            settings = h.ini_values(open(os.path.join(install, "Harmolab.ini"), "rb").read())
            self.assertEqual(settings.get(("INST", "STATUS")), "1", "the press at 150 % reached the panel switch")

        fresh.wine(os.path.join(install, "uninstall.exe"), "/S", "/REMOVESETTINGS")
        gone = wait_until(lambda: not os.path.exists(install) and not os.path.exists(links[0]), 60)
        self.assertTrue(gone, "left after uninstalling: %s" % (os.listdir(install) if os.path.exists(install) else
                                                              links))
        self.assertNotEqual(fresh.wine("reg", "query", UNINSTALL_KEY)[0], 0, "the Apps & Features entry is gone")

        # Without being asked, the uninstaller keeps the settings file and with it the folder.
        self.assertEqual(fresh.wine(setup, "/S")[0], 0)
        with open(os.path.join(install, "Harmolab.ini"), "w") as f:
            f.write("[TUNER]\r\nKIND=1\r\n")
        fresh.wine(os.path.join(install, "uninstall.exe"), "/S")
        kept = wait_until(lambda: sorted(os.listdir(install) if os.path.isdir(install) else []) == ["Harmolab.ini"], 60)
        self.assertTrue(kept, "left after uninstalling: %s" % (os.listdir(install) if os.path.isdir(install) else
                                                              "nothing, not even Harmolab.ini"))

    def assert_scaled_picture(self, driver, s):
        """At 150 % the half-size tuner picture (320 x 240) is 480 x 360 pixels: the window is as wide,
        and the client area below the toolbar as high less the bottom frame, as at 96 DPI."""
        _, top, _, bottom = driver.client()
        _, tb_top, _, tb_bottom = driver.child_rect(h.IDC_TOOLBAR)
        self.assertEqual(driver.window_size()[0], 480, "window width at 150 %")
        self.assertTrue(348 <= bottom - top - (tb_bottom - tb_top) <= 360, "picture height at 150 %")
        shot = os.path.join(s.program.log_dir, "scaled.bmp")
        driver.capture(shot)
        image = h.Image.read_bmp(shot)
        image.write_png(os.path.join(s.program.log_dir, "scaled.png"))
        window_left, window_top, _, _ = driver.rect()
        left, top, right, bottom = driver.client()
        picture = image.crop(left - window_left, top - window_top + tb_bottom - tb_top, right - window_left,
                             bottom - window_top)
        self.assertGreater(len(picture.colours()), 20, "the tuner's pictures are drawn")

    def press_panel_switch(self, fresh, driver, s):
        left, top, _, _ = driver.rect()
        _, height = driver.window_size()
        _, client_height = driver.client_size()
        _, tb_top, _, tb_bottom = driver.child_rect(h.IDC_TOOLBAR)
        caption = driver.metric("SM_CYCAPTION")
        band = (height - client_height - caption) - driver.metric("SM_CYFRAME")
        x = left + PANEL_SWITCH[0] * SCALED_DPI // 96
        y = top + caption + band + (tb_bottom - tb_top) + PANEL_SWITCH[1] * SCALED_DPI // 96
        pointer = h.Pointer(fresh.env["DISPLAY"])
        try:
            pointer.move(x - 3, y - 3)
            time.sleep(0.1)
            pointer.move(x, y)
            time.sleep(0.2)
            driver.send(WM_LBUTTONDOWN, MK_LBUTTON, 0)
            driver.send(WM_LBUTTONUP, 0, 0)
        finally:
            pointer.close()


if __name__ == "__main__":
    unittest.main()
