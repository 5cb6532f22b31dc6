#!/usr/bin/env python3
"""The tool-switch messages move all-tools mode between spectrum analyser, tuner and metronome: check
marks, toolbar images and window size follow; single-tool modes ignore them."""

import unittest

import harmolab as h
from test_window_size import expected_outer_size

GO_SPECTRUM, GO_TUNER, GO_METRONOME = h.WM_APP_GO_SPECTRUM, h.WM_APP_GO_TUNER, h.WM_APP_GO_METRONOME
SPECTRUM, TUNER, METRONOME = h.IDM_SPECTRUM, h.IDM_TUNER, h.IDM_METRONOME
KINDS = [h.IDM_KIND_NORMAL, h.IDM_KIND_CONDUCTOR, h.IDM_KIND_BALL, h.IDM_KIND_SIGNAL]
BALL = h.IDM_KIND_BALL


def observe(driver):
    """What the user sees of the current tool: checked items, tool button images, picture size."""
    checked = [c for c in [SPECTRUM, TUNER] + KINDS if driver.menu(c)["checked"]]
    images = [driver.toolbar_image(c) for c in (SPECTRUM, TUNER, METRONOME)]
    return {"checked": checked, "images": images, "size": driver.window_size()}


def expected(checked, images, picture, driver):
    return {"checked": checked, "images": images, "size": expected_outer_size(driver, *picture)}


HALF_SPECTRUM, HALF_OTHER = (360, 240), (320, 240)

# (what is sent: ("message", id) or ("command", id), checked items, tool button images, picture size)
ALL_TOOLS_STEPS = [
    (("message", GO_TUNER), [TUNER], [4, 7, 8], HALF_OTHER),
    (("message", GO_TUNER), [TUNER], [4, 7, 8], HALF_OTHER),  # already there: nothing changes
    (("message", GO_SPECTRUM), [SPECTRUM], [5, 6, 8], HALF_SPECTRUM),
    (("message", GO_METRONOME), [h.IDM_KIND_NORMAL], [4, 6, 9], HALF_OTHER),
    (("message", GO_TUNER), [TUNER], [4, 7, 8], HALF_OTHER),
    (("command", SPECTRUM), [SPECTRUM], [5, 6, 8], HALF_SPECTRUM),
    (("command", BALL), [BALL], [4, 6, 9], HALF_OTHER),
    (("command", METRONOME), [BALL], [4, 6, 9], HALF_OTHER),
    (("command", TUNER), [TUNER], [4, 7, 8], HALF_OTHER),
]

# (launch arguments, message that must change nothing)
IGNORED = [(["0"], GO_TUNER), (["1"], GO_METRONOME), (["2"], GO_SPECTRUM)]


class ToolSwitch(h.SystemTestCase):
    def send(self, s, what):
        kind, value = what
        if kind == "message":
            self.driver.send(value, 0, 0)
        else:
            s.command(value)

    def test_all_tools_mode_switches(self):
        with self.session() as s:
            self.assertEqual(observe(self.driver), expected([SPECTRUM], [5, 6, 8], HALF_OTHER, self.driver),
                             "at start")
            for step, (what, checked, images, picture) in enumerate(ALL_TOOLS_STEPS):
                self.send(s, what)
                self.assertEqual(observe(self.driver), expected(checked, images, picture, self.driver),
                                 "after step %d %r" % (step, what))
            escapes = [line for line in s.program.debug_lines() if line.startswith("escape Metronome")]
            self.assertEqual(len(escapes), 2, "leaving the metronome twice: %r" % s.program.debug_lines())
            self.assertEqual(s.quit(), 0)

    def test_single_tool_modes_ignore_switches(self):
        for args, message in IGNORED:
            with self.subTest(args=args, message=message), self.session(args) as s:
                before = observe(self.driver)
                self.driver.send(message, 0, 0)
                self.assertEqual(observe(self.driver), before)
                self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
