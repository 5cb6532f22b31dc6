#!/usr/bin/env python3
"""The main window can be minimised but neither maximised nor resized, and shows its Japanese menu bar."""

import unittest

import harness as h

WM_SYSCOMMAND = h.WM_SYSCOMMAND
SC_MINIMIZE = 0xF020
SC_RESTORE = 0xF120

MENU_BAR = ["操作", "機器選択", "スペクトラム解析", "音量", "解析", "作成", "強拍", "ヘルプ"]


def wait_for(predicate):
    return h.poll(predicate, 5.0, 0.05)


class WindowFrame(h.SystemTestCase):
    def test_system_menu_and_style_in_every_launch_mode(self):
        for args in ([], ["0"], ["1"], ["2"]):
            with self.subTest(args=args), self.session(args) as s:
                style, _ = self.driver.style()
                self.assertTrue(style & h.WS_MINIMIZEBOX, "minimize box missing: style 0x%08x" % style)
                self.assertTrue((style & h.WS_CAPTION) == h.WS_CAPTION and (style & h.WS_SYSMENU), "style 0x%08x" % style)
                entries = self.driver.sysmenu()
                self.assertEqual((entries["size"], entries["maximize"]), (0, 0),
                                 "system menu still offers Size or Maximize: %r" % entries)
                self.assertEqual((entries["minimize"], entries["close"], entries["move"]), (1, 1, 1), entries)
                self.assertEqual(s.quit(), 0)

    def test_minimise_and_restore(self):
        with self.session() as s:
            size = self.driver.window_size()
            self.driver.post(WM_SYSCOMMAND, SC_MINIMIZE, 0)
            self.assertTrue(wait_for(lambda: self.driver.state()["iconic"] == 1), "window did not minimise")
            self.driver.post(WM_SYSCOMMAND, SC_RESTORE, 0)
            # The restore ends when the window has its former size again.
            restored = wait_for(lambda: self.driver.state()["iconic"] == 0 and self.driver.window_size() == size)
            self.assertTrue(restored, "window did not restore: %r, size %r" % (self.driver.state(),
                                                                              self.driver.window_size()))
            self.assertEqual(self.driver.state()["zoomed"], 0)
            self.assertEqual(s.quit(), 0)

    def test_menu_bar_is_drawn_with_japanese_items(self):
        with self.session() as s:
            self.assertEqual(self.driver.menubar(), MENU_BAR)
            # The band between caption and client area is the menu bar: it must carry dark text on its
            # light background, not be an empty band. The first paint may still be on its way.
            left, top, right, bottom = self.driver.rect()
            client_top = self.driver.client()[1] - top
            caption = self.driver.metric("SM_CYCAPTION")
            frame = self.driver.metric("SM_CYFRAME")
            self.assertGreater(client_top - frame - caption, 10, "no menu band")

            def menu_ink():
                picture, png = s.capture("menu-bar")
                self.assertEqual((picture.width, picture.height), (right - left, bottom - top))
                band = picture.crop(frame, frame + caption, picture.width - frame, client_top)
                menu_ink.png = png
                return band.count_where(lambda r, g, b: r + g + b < 200) > 150

            self.assertTrue(wait_for(menu_ink), "menu bar text not visible in %s" % menu_ink.png)
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
