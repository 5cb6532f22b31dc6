#!/usr/bin/env python3
"""The spectrum analyser listening to the sound card: a 440 Hz sine played into the null sink is named
"NOTE = A3" with "FREQ = 440 Hz" on the status line in note mode and wins column 1 in frequency mode;
silence draws nothing but the grid.

The status line is compared with a reference picture in tests/system/reference/. To make it again,
run this file with HARMOLAB_UPDATE_REFERENCE=1 and look at the written picture before committing it.
The status-line crop here is shared with test_sound_out.py."""

import os
import re
import time
import unittest

import harness as h
# The sound helpers are imported from here by other test files too.
from harness import (SETTLE_TIMEOUT, SinkPlayer, matches_reference, poll, sink_playing, tone_file)  # noqa: F401

UPDATE = os.environ.get("HARMOLAB_UPDATE_REFERENCE") == "1"
STATUS_A3 = "spectrum-status-a3-440.png"

POWER, NORMAL_SIZE, TOOLBAR_ID = h.IDM_POWER, h.IDM_NORMAL_SIZE, h.IDC_TOOLBAR
NOTE_MODE = [("PLOT", "MODE", "1")]
FREQUENCY_MODE = [("PLOT", "MODE", "0")]

# The picture that the program stretches over the client area: 352 x 104, bars in rows 0..79, the
# strip in rows 80..91, the status line in rows 92..103.
PICTURE_H, BARS_H, STATUS_TOP = 104, 80, 92
STATUS_GREY = (100, 100, 100)
# Background, horizontal and vertical grid lines of colour group 0: all that silence may show.
GRID_COLOURS = {(0, 0, 0), (0, 32, 32), (32, 32, 32)}

# Silence has no event to wait for: it is watched this long after the power comes on.
SILENCE_SECONDS = 2.5

FREQUENCY_LINE = re.compile(r"^(\d+) j=(-?\d+) $")
# Frames at the start of a tone that may see it only partly (see the frequency-mode test).
ONSET_FRAMES = 3


# ---------------------------------------------------------------------------------------------------
# Pictures


class SpectrumView:
    """Where the stretched spectrum picture lies in a capture of the main window.

    The program stretches its 352 x 104 picture over the client area less 2 x SM_CXBORDER on each
    side; the toolbar covers the top of it. Boxes are (left, top, right, bottom) in capture pixels,
    kept a pixel inside the stretched rows so that rounding of the stretch can't move their edges."""

    def __init__(self, driver):
        left, top, _, _ = driver.rect()
        c_left, c_top, c_right, c_bottom = driver.client()
        inset_x, inset_y = 2 * driver.metric("SM_CXBORDER"), 2 * driver.metric("SM_CYBORDER")
        self.x0, self.y0 = c_left - left + inset_x, c_top - top + inset_y
        self.w, self.h = c_right - c_left - 2 * inset_x, c_bottom - c_top - 2 * inset_y
        t_top, t_bottom = driver.child_rect(TOOLBAR_ID)[1::2]
        self.toolbar_bottom = c_top - top + t_bottom

    def _row(self, picture_row):
        return self.y0 + -(-picture_row * self.h // PICTURE_H)  # first capture row of that picture row

    def status_box(self):
        return (self.x0 + 1, self._row(STATUS_TOP) + 1, self.x0 + self.w - 1, self.y0 + self.h - 1)

    def bars_box(self):
        return (self.x0 + 1, max(self.y0, self.toolbar_bottom) + 1, self.x0 + self.w - 1, self._row(BARS_H) - 1)

    def status(self, image):
        return image.crop(*self.status_box())

    def bars(self, image):
        return image.crop(*self.bars_box())


def plain_status(status):
    """True when the status line is plain grey: nothing detected in note mode."""
    return status.colours() == {STATUS_GREY}


def frequency_lines(lines):
    return [line for line in lines if FREQUENCY_LINE.match(line)]


# ---------------------------------------------------------------------------------------------------
# Tests


class SpectrumLive(h.PaintedScreen):
    def start(self, s):
        """Normal size and power on; returns the picture geometry."""
        s.command(NORMAL_SIZE)
        s.command(POWER)
        self.assertTrue(self.driver.menu(POWER)["checked"], "the power item is not checked after Power")
        return SpectrumView(self.driver)

    def capture(self, s, name):
        image, png = s.capture(name)
        return image

    def wait_for_status(self, s, view, expected):
        """Captures until the status line shows expected ("plain" grey or a reference picture's name);
        returns (seen, last capture, seconds waited)."""
        started = time.monotonic()
        last = {}

        def shows_expected():
            last["image"] = self.capture(s, "status")
            status = view.status(last["image"])
            if expected == "plain":
                return plain_status(status)
            if UPDATE:
                return not plain_status(status)
            return matches_reference(status, expected)

        seen = poll(shows_expected)
        if seen and UPDATE and expected != "plain":
            time.sleep(1.0)  # let the reading settle before it becomes the reference
            last["image"] = self.capture(s, "status")
        return seen, last["image"], time.monotonic() - started

    def test_note_mode_names_a3_and_440_hz(self):
        # (phase, tone in Hz or None for silence, status line that must appear)
        phases = [
            ("silence before", None, "plain"),
            ("440 Hz", 440, STATUS_A3),
            ("silence after", None, "plain"),
        ]
        with self.session(["0"], ini=h.make_ini(NOTE_MODE)) as s:
            view = self.start(s)
            for phase, hz, expected in phases:
                with self.subTest(phase=phase), sink_playing(self.env, hz and tone_file(s, hz)) as player:
                    if hz is None:
                        time.sleep(SILENCE_SECONDS)
                    seen, image, seconds = self.wait_for_status(s, view, expected)
                    if player:
                        player.check_running()
                    print("%s: %s after %.1f s" % (phase, "seen" if seen else "not seen", seconds))
                    png = image.write_png(os.path.join(s.program.cwd, "note-%s.png" % phase.replace(" ", "-")))
                    if expected == "plain":
                        self.assertTrue(seen, "%s: the status line is not plain grey (nothing detected); "
                                              "window picture %s" % (phase, png))
                    else:
                        self.compare(s, view.status(image), expected)
            self.assertEqual(frequency_lines(s.program.debug_lines()), [],
                             "note mode wrote frequency-mode debugger lines")
            self.assertEqual(s.quit(), 0)

    def test_frequency_mode_column_and_silent_grid(self):
        with self.session(["0"], ini=h.make_ini(FREQUENCY_MODE)) as s:
            s.command(NORMAL_SIZE)
            view = SpectrumView(self.driver)
            power_off_bars = view.bars(self.capture(s, "power-off"))
            self.assertTrue(power_off_bars.colours() <= GRID_COLOURS,
                            "the bar area at power-off has colours beyond the grid: %r"
                            % sorted(power_off_bars.colours() - GRID_COLOURS)[:8])
            s.command(POWER)
            self.assertTrue(self.driver.menu(POWER)["checked"], "the power item is not checked after Power")

            # Silence: the detector runs on every buffer but finds nothing, so the bars stay the grid
            # of the power-off picture and no winning column is written.
            time.sleep(SILENCE_SECONDS)
            image = self.capture(s, "silence")
            png = image.write_png(os.path.join(s.program.cwd, "frequency-mode-silence.png"))
            bars = view.bars(image)
            self.assertTrue(bars.colours() <= GRID_COLOURS, "silence painted bar colours %r; picture %s"
                            % (sorted(bars.colours() - GRID_COLOURS)[:8], png))
            self.assertEqual(bars.difference(power_off_bars), 0,
                             "the bar area in silence differs from the power-off grid; picture %s" % png)
            self.assertEqual(frequency_lines(s.program.debug_lines()), [], "silence wrote winning columns")

            # 440 Hz: short-transform index 40.9 lies in zoom-1 column 1 (indices 23..45), so the
            # winning column is 1 with the peak at offset 17 or 18 (index 40 or 41).
            started = time.monotonic()
            with SinkPlayer(self.env, tone_file(s, 440)) as player:
                lines = poll(lambda: len(frequency_lines(s.program.debug_lines())) >= 20 and
                             frequency_lines(s.program.debug_lines()))
                player.check_running()
                image = self.capture(s, "tone")
            png = image.write_png(os.path.join(s.program.cwd, "frequency-mode-440.png"))
            print("440 Hz: %d winning-column lines after %.1f s" % (len(lines or []), time.monotonic() - started))
            self.assertTrue(lines, "no \"%%d j=%%d\" lines within %.0f s of playing 440 Hz; debugger output %r"
                            % (SETTLE_TIMEOUT, s.program.debug_lines()[-10:]))
            # The first frames hold the start of the tone in part of their window, which widens the
            # peak (offsets 19 and 20 have been seen there); the steady tone peaks at 17 or 18.
            winners = [FREQUENCY_LINE.match(line).groups() for line in lines]
            self.assertEqual({column for column, _ in winners}, {"1"}, "winning columns for 440 Hz: %r" % winners)
            steady = sorted({j for _, j in winners[ONSET_FRAMES:]})
            self.assertTrue(set(steady) <= {"17", "18"}, "peak offsets of the steady 440 Hz: %r (all: %r)"
                            % (steady, winners))
            bar_colours = view.bars(image).colours() - GRID_COLOURS
            self.assertTrue(bar_colours, "440 Hz drew no bars; picture %s" % png)
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
