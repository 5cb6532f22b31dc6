#!/usr/bin/env python3
"""The downloads a Windows user gets: the manifest and version resource read back out of the built files,
the portable zip unzipped into a folder whose name has a space and Japanese characters and started from
another current folder, and the installer run silently in a fresh Wine prefix at 150 % scaling (LogPixels
144), started from its Start-menu shortcut, pressed with the pointer, and uninstalled again."""

import glob
import os
import pathlib
import re
import time
import unittest
import zipfile

import harness as h
from harness.package import (SCALED_DPI, FreshEnvironment, packages, pe_resources, project_version, session_at,
                              shell_link, version_strings)
from test_sound_out import MonitorRecording

ZIP_CONTENTS = {"Harmolab.exe", "Melodex.dll", "click_accent.wav", "click.wav", "README.txt", "Tunerimg", "TunerHELP"}
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Harmolab"
# The tuner's instrument-panel switch at half size; a press shows in the settings file as INST/STATUS=1.
PANEL_SWITCH = (20, 217)
WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0201, 0x0202, 0x0001


class Package(h.SystemTestCase):
    def test_manifest_and_version_read_back_from_the_built_files(self):
        version = project_version()
        exe = pe_resources(os.path.join(self.env.windows_dir, "Harmolab.exe"))
        manifests = [data.decode("utf-8") for key, data in exe.items() if key[:2] == (24, 1)]
        self.assertEqual(len(manifests), 1, "one manifest with id 1")
        self.assertRegex(manifests[0], r'name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0"')
        for part in ('level="asInvoker"', "PerMonitorV2", ">true/pm</dpiAware>", "{8e0f7a12"):  # 8e0f7a12: Windows 10+
            self.assertIn(part, manifests[0])
        for name in ("Harmolab.exe", "Melodex.dll"):
            with self.subTest(name):
                blocks = [d for k, d in pe_resources(os.path.join(self.env.windows_dir, name)).items() if k[0] == 16]
                self.assertEqual(len(blocks), 1, "one version resource")
                fixed, tables = version_strings(blocks[0])
                self.assertEqual(fixed, version + (0,))
                self.assertEqual(set(tables), {"041104B0", "040904B0"}, "Japanese and English strings")
                for strings in tables.values():
                    self.assertEqual((strings["ProductVersion"], strings["OriginalFilename"]),
                                     ("%d.%d.%d" % version, name))
                self.assertRegex(tables["041104B0"]["FileDescription"], r"[\u3040-\u30ff\u4e00-\u9fff]")

    def test_portable_zip_works_from_a_japanese_folder_started_elsewhere(self):
        base = self.env.run_dir("portable")
        folder, elsewhere = os.path.join(base, "ハーモ ラボ Harmolab"), os.path.join(base, "elsewhere")
        with zipfile.ZipFile(packages(self.env)[0]) as z:
            names = z.namelist()
            z.extractall(folder)
        self.assertEqual({n.split("/")[0] for n in names}, ZIP_CONTENTS)
        self.assertEqual(len([n for n in names if n.startswith("Tunerimg/") and n.endswith(".bmp")]), 176)
        os.makedirs(elsewhere)
        # Metronome only: every picture loads at the start ("File Error" fails it), then the clicks
        # play from the files beside the program.
        exe = os.path.join(folder, "Harmolab.exe")
        with session_at(self.env, self.driver, exe, elsewhere, args=["2", "120", "3"], name="portable") as s:
            with MonitorRecording(self.env, os.path.join(s.program.log_dir, "clicks.raw")) as recording:
                s.command(h.IDM_POWER)
                time.sleep(4.0)
                s.command(h.IDM_POWER)
                samples = recording.stop()
            picture = os.path.join(s.program.log_dir, "window.bmp")
            self.driver.capture(picture)
            self.assertEqual(s.quit(), 0)
        self.assertGreater(len(h.Image.read_bmp(picture).colours()), 20, "the metronome picture is drawn")
        kinds = [h.classify_click(h.click_tone(samples, o), h.DEFAULT_CLICK_TONES) for o in h.click_onsets(samples)]
        self.assertGreaterEqual(len(kinds), 4, kinds)
        # The sound server may move the first click while it starts the stream, and power off cut the last.
        self.assertNotIn("?", kinds[1:-1], "each click has its sound's tone")
        self.assertEqual(os.listdir(elsewhere), [], "nothing written into the current folder")

    def test_installer_in_a_fresh_prefix_at_150_percent(self):
        fresh = FreshEnvironment(os.path.join(self.env.state_dir, "installer"))
        fresh.up()
        try:
            self.install_start_uninstall(fresh, packages(self.env)[1])
        finally:
            fresh.down()

    def install_start_uninstall(self, fresh, setup):
        self.assertEqual(fresh.wine(setup, "/S")[0], 0, "silent install")
        code, text = fresh.wine("reg", "query", UNINSTALL_KEY)
        self.assertEqual(code, 0, "registered for Apps & Features")
        values = dict(re.findall(r"^\s*(\w+)\s+REG_\w+\s+(.*?)\s*$", text, re.M))
        self.assertEqual(values.get("DisplayVersion"), "%d.%d.%d" % project_version())
        location = values.get("InstallLocation", "")
        self.assertRegex(location, r"(?i)\\AppData\\Local\\Programs\\Harmolab$")
        install = fresh.unix_path(location)
        links = glob.glob(os.path.join(fresh.prefix, "drive_c", "users", "*", "AppData", "Roaming", "Microsoft",
                                       "Windows", "Start Menu", "Programs", "Harmolab.lnk"))
        self.assertEqual(len(links), 1, "one Start-menu shortcut")
        target, working = shell_link(links[0])
        self.assertEqual((target.lower(), working.lower()), (location.lower() + "\\harmolab.exe", location.lower()))

        with h.Driver(fresh) as driver:
            with session_at(fresh, driver, fresh.unix_path(target), fresh.unix_path(working), name="installed") as s:
                driver.send(h.WM_APP_GO_TUNER)
                time.sleep(0.5)
                self.assertEqual([w for w in driver.desktop() if w[1] == "#32770"], [], "no File Error box")
                s.retarget()
                self.assert_scaled_picture(driver, s)
                self.press_panel_switch(fresh, driver)
                self.assertEqual(s.quit(), 0)
            settings = h.ini_values(pathlib.Path(os.path.join(install, "Harmolab.ini")).read_bytes())
            self.assertEqual(settings.get(("INST", "STATUS")), "1", "the press at 150 % reached the panel switch")

        listing = lambda: sorted(os.listdir(install)) if os.path.isdir(install) else []  # noqa: E731
        fresh.wine(os.path.join(install, "uninstall.exe"), "/S", "/REMOVESETTINGS")
        gone = h.poll(lambda: not os.path.exists(install) and not os.path.exists(links[0]), 60, 0.2)
        self.assertTrue(gone, "left after uninstalling: %s" % listing())
        self.assertNotEqual(fresh.wine("reg", "query", UNINSTALL_KEY)[0], 0, "the Apps & Features entry is gone")
        # Without being asked, the uninstaller keeps the settings file and with it the folder.
        self.assertEqual(fresh.wine(setup, "/S")[0], 0)
        with open(os.path.join(install, "Harmolab.ini"), "w") as f:
            f.write("[TUNER]\r\nKIND=1\r\n")
        fresh.wine(os.path.join(install, "uninstall.exe"), "/S")
        self.assertTrue(h.poll(lambda: listing() == ["Harmolab.ini"], 60, 0.2), "left: %s" % listing())

    def assert_scaled_picture(self, driver, s):
        """At 150 % the half-size tuner picture (320 x 240) is 480 x 360 pixels."""
        _, top, _, bottom = driver.client()
        _, tb_top, _, tb_bottom = driver.child_rect(h.IDC_TOOLBAR)
        toolbar = tb_bottom - tb_top
        self.assertEqual(driver.window_size()[0], 480, "window width at 150 %")
        self.assertTrue(348 <= bottom - top - toolbar <= 360, "picture height at 150 %")
        shot = os.path.join(s.program.log_dir, "scaled.bmp")
        driver.capture(shot)
        window_left, window_top, _, _ = driver.rect()
        left, top, right, bottom = driver.client()
        picture = h.Image.read_bmp(shot).crop(left - window_left, top - window_top + toolbar, right - window_left,
                                              bottom - window_top)
        self.assertGreater(len(picture.colours()), 20, "the tuner's pictures are drawn")

    def press_panel_switch(self, fresh, driver):
        left, top, _, _ = driver.rect()
        height, client_height = driver.window_size()[1], driver.client_size()[1]
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
