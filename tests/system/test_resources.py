#!/usr/bin/env python3
"""The program's GDI objects and heap use as counted from inside it: the 176 tuner and metronome images
are released when the spectrum analyser takes over, and the heap count sees memory deliberately leaked."""

import time
import unittest

import harness as h
from harness.resources import gui_resources, in_process_counts

IMAGES = 176
SLACK = 4  # objects a paint or a tooltip may hold for a moment
LEAKED_KIB = 256


class Resources(h.SystemTestCase):
    def count(self, s):
        s.retarget()
        time.sleep(0.5)
        return gui_resources(self.driver)[0]

    def test_images_live_only_with_the_tuner_and_metronome(self):
        with self.session() as s:
            spectrum = self.count(s)  # the images' count also shows the counter sees the program's objects
            for tool in (h.IDM_TUNER, h.IDM_METRONOME):
                s.command(tool)
                self.assertGreaterEqual(self.count(s) - spectrum, IMAGES, "the images are not loaded")
                s.command(h.IDM_SPECTRUM)
                self.assertLessEqual(self.count(s) - spectrum, SLACK, "the images stay after leaving")
            heap = in_process_counts(self.driver)["heap_kib"]
            self.driver.ask("leakmemory", LEAKED_KIB * 1024)
            self.assertGreaterEqual(in_process_counts(self.driver)["heap_kib"] - heap, LEAKED_KIB, "heap count")
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
