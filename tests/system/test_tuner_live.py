#!/usr/bin/env python3
"""The tuner listening to the sound card: with target A4, a 440 Hz sine played into the null sink shows
4 and "A", 440 Hz, cents near 0 and the in-tune lamp; 446 Hz moves cents to about +23 and shows the
off-pitch lamp (the layout tests place the needle by the cents). Without a target, a 220 Hz tone whose
440 Hz second harmonic is twice as strong is named A3, the note played, not A4.

The screen is read by matching its cells against the program's own images (Tunerimg), drawn keyed
over the grey background the way the program draws them, so no reference picture is needed."""

import math
import os
import struct
import time
import unittest
import wave

import harness as h
from test_spectrum_live import poll, sink_playing, tone_file

POWER, NORMAL_SIZE, TOOLBAR_ID = h.IDM_POWER, h.IDM_NORMAL_SIZE, h.IDC_TOOLBAR
TARGET_A4 = [("TARGET", "NOTE", "49"), ("FORS", "STATUS", "0")]  # A4, letters with flats
NO_TARGET = [("TARGET", "NOTE", "0"), ("FORS", "STATUS", "0")]

BACKGROUND = (210, 210, 210)
KEY_COLOUR = (255, 255, 255)  # white pixels of a keyed image let the background through

# Cells of the 640 x 480 picture: (x, y) of the top-left corner.
OCTAVE_CELL, LETTER_CELL = (180, 40), (232, 40)
FREQUENCY_CELLS = [(296 + 16 * i, 60) for i in range(5)]  # ten-thousands .. units
CENTS_CELLS = [(540, 60), (556, 60), (572, 60)]
LAMP_CELL = (304, 200)
CENTS_TOLERANCE = 2

LETTERS = ["C", "C#", "Db", "D", "D#", "Eb", "E", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb", "B"]
# A cell is read as the image it matches best; it must differ from it in at most this fraction of
# pixels (the lamp a bit more: the needle crosses it).
CELL_MATCH = 0.02
LAMP_MATCH = 0.15
CHANNEL_TOLERANCE = 24

# (phase, tone in Hz or None, octave digit, letter, frequency digits, cents or None for blank, lamp).
# The frequency digits show the key's equal-tempered frequency, trunc(440 * 2^((key - 49) / 12)),
# not the measured one: 446 Hz is still key 49 and reads 440. The lamp is led3 when the target is
# shown within 9 cents, led2 when it is shown further off, led when the target is not shown.
PHASES = [
    ("silence", None, None, None, 0, None, "led"),
    ("440 Hz", 440, 4, "A", 440, 0, "led3"),
    ("446 Hz", 446, 4, "A", 440, 23, "led2"),
]
# A3 played with its second harmonic 6 dB above the fundamental, as a plucked string sounds; the
# lamp is led because the target is automatic.
HARMONIC_PHASES = [
    ("A3 with a strong second harmonic", ((220, 0.15), (440, 0.3)), 3, "A", 220, 0, "led"),
]
SETTLE_TIMEOUT = 15.0
SILENCE_SECONDS = 2.0


def partials_file(s, partials, seconds=40):
    """A 16-bit 44100 Hz mono WAV of the given (hz, amplitude) partials in the run folder of session s."""
    name = "partials-" + "-".join("%g-%g" % p for p in partials) + ".wav"
    path = os.path.join(s.program.cwd, name)
    if not os.path.exists(path):
        rate = 44100
        samples = b"".join(struct.pack("<h", round(32767 * sum(a * math.sin(2 * math.pi * hz * n / rate)
                                                               for hz, a in partials)))
                           for n in range(int(seconds * rate)))
        with wave.open(path, "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(rate)
            out.writeframes(samples)
    return path


def keyed(template, background=BACKGROUND):
    """template as the program draws it keyed on the background: key-white pixels show through."""
    key, bg = bytes(KEY_COLOUR), bytes(background)
    rows = [b"".join(bg if row[i:i + 3] == key else row[i:i + 3] for i in range(0, len(row), 3)) for row in template.rows]
    return h.Image(template.width, template.height, rows)


class TunerImages:
    """The program's images, loaded once, as they appear on the screen."""

    def __init__(self, folder):
        def load(name, is_keyed=True):
            image = h.Image.read_bmp(os.path.join(folder, name + ".bmp"))
            return keyed(image) if is_keyed else image

        self.large_digits = {d: load(str(d)) for d in range(10)}
        self.letters = {name: load(name) for name in LETTERS}
        self.none = load("none")
        self.small = dict({str(d): load("n%d" % d) for d in range(10)}, blank=load("numno"), minus=load("minus"))
        self.lamps = {name: load(name, is_keyed=False) for name in ("led", "led2", "led3")}


def best_match(region_of, candidates):
    """(name, differing fraction) of the candidate image that region_of(size) matches best."""
    scored = []
    for name, image in candidates.items():
        region = region_of(image.width, image.height)
        scored.append((region.difference(image, CHANNEL_TOLERANCE), name))
    fraction, name = min(scored, key=lambda item: item[0])
    return name, fraction


class TunerReading:
    """What the tuner picture in one capture shows, read with the program's images."""

    def __init__(self, capture, origin, images):
        self.capture, self.origin, self.images = capture, origin, images
        self.note = self._note()
        self.frequency = self._number(FREQUENCY_CELLS)
        self.cents = self._cents()
        self.lamp = self._cell(LAMP_CELL, images.lamps, LAMP_MATCH)

    def region(self, x, y, w, hgt):
        ox, oy = self.origin
        return self.capture.crop(ox + x, oy + y, ox + x + w, oy + y + hgt)

    def _cell(self, at, candidates, limit=CELL_MATCH):
        name, fraction = best_match(lambda w, hgt: self.region(at[0], at[1], w, hgt), candidates)
        return name if fraction <= limit else "?"

    def _note(self):
        none = self.images.none
        if self.region(OCTAVE_CELL[0], OCTAVE_CELL[1], none.width, none.height).difference(
                none, CHANNEL_TOLERANCE) <= CELL_MATCH:
            return None
        return (self._cell(OCTAVE_CELL, self.images.large_digits), self._cell(LETTER_CELL, self.images.letters))

    def _number(self, cells):
        """The digits of blank-padded cells as an int, or the cells as text when that isn't a number."""
        names = [self._cell(at, self.images.small) for at in cells]
        text = "".join(" " if n == "blank" else n if n.isdigit() else "?" for n in names)
        digits = text.lstrip()
        return int(digits) if digits.isdigit() else text

    def _cents(self):
        cells = [self._cell(at, self.images.small) for at in CENTS_CELLS]
        if cells == ["blank"] * 3:
            return None
        sign = {"blank": 1, "minus": -1}.get(cells[0])
        if sign is None or not cells[1].isdigit() or not cells[2].isdigit():
            return "/".join(cells)
        return sign * int(cells[1] + cells[2])

    def summary(self):
        return "note=%r frequency=%r cents=%r lamp=%s" % (self.note, self.frequency, self.cents, self.lamp)


class TunerLive(h.SystemTestCase):
    def picture_origin(self):
        """Top-left corner of the 640 x 480 picture in a window capture: below the toolbar."""
        left, top, _, _ = self.driver.rect()
        c_left, c_top, _, _ = self.driver.client()
        t_top, t_bottom = self.driver.child_rect(TOOLBAR_ID)[1::2]
        return c_left - left, c_top - top + (t_bottom - t_top)

    def mismatches(self, reading, octave, letter, frequency, cents, lamp):
        wrong = []
        if reading.note != (None if octave is None else (octave, letter)):
            wrong.append("note")
        if reading.frequency != frequency:
            wrong.append("frequency")
        if cents is None:
            if reading.cents is not None:
                wrong.append("cents")
        elif not isinstance(reading.cents, int) or abs(reading.cents - cents) > CENTS_TOLERANCE:
            wrong.append("cents")
        if reading.lamp != lamp:
            wrong.append("lamp")
        return wrong

    def run_phases(self, ini, phases):
        """Plays each phase's sound and waits for the screen it must show."""
        with self.session(["1"], ini=h.make_ini(ini)) as s:
            s.command(NORMAL_SIZE)
            s.command(POWER)
            self.assertTrue(self.driver.menu(POWER)["checked"], "the power item is not checked after 40003")
            images = TunerImages(os.path.join(s.program.cwd, "Tunerimg"))
            origin = self.picture_origin()
            for phase, tone, octave, letter, frequency, cents, lamp in phases:
                sound = tone and (tone_file(s, tone) if isinstance(tone, (int, float)) else partials_file(s, tone))
                with self.subTest(phase=phase), sink_playing(self.env, sound) as player:
                    if tone is None:
                        time.sleep(SILENCE_SECONDS)
                    last = {}

                    def shows_expected():
                        image, _ = s.capture("tuner")
                        last["image"], last["reading"] = image, TunerReading(image, origin, images)
                        last["wrong"] = self.mismatches(last["reading"], octave, letter, frequency, cents, lamp)
                        return not last["wrong"]

                    seen = poll(shows_expected, SETTLE_TIMEOUT)
                    if player:
                        player.check_running()
                    if not seen:
                        png = last["image"].write_png(os.path.join(s.program.cwd, "tuner-%s.png" % phase[:3]))
                        self.fail("%s: wrong %s; read %s; picture %s"
                                  % (phase, ", ".join(last["wrong"]), last["reading"].summary(), png))
            self.assertEqual(s.quit(), 0)

    def test_readings_for_440_and_446_hz(self):
        self.run_phases(TARGET_A4, PHASES)

    def test_strong_second_harmonic_names_the_fundamental(self):
        self.run_phases(NO_TARGET, HARMONIC_PHASES)


if __name__ == "__main__":
    unittest.main(verbosity=2)
