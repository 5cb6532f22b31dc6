#!/usr/bin/env python3
"""The Melodex library loaded by a small host of ours the way the program binds it: six exports by
ordinal 1 to 6 under their names, a capture that starts, notifies the host window and stops, and a
MelodexInitialize while running that leaves the capture alone."""

import os
import subprocess
import unittest

import harness as h

EXPECTED = {"loaded": "1", "ordinal1": "MelodexInitialize", "ordinal2": "SetWindowHandle",
            "ordinal3": "StartMelodex", "ordinal4": "StopMelodex", "ordinal5": "GetMelodexStatus",
            "ordinal6": "MelodexProc", "ordinal7": "absent", "handle": "1", "initialize": "0", "start": "1",
            "start_again": "1", "status": "1", "status_after_initialize": "1", "status_after_stop": "0", "done": "1"}
# At 44100 Hz a 1024-sample buffer fills about 43 times a second; the host listens 1.5 s each time
# (a loaded machine delivers far fewer).
MIN_NOTIFICATIONS = 5


class Melodex(h.SystemTestCase):
    def test_host_binds_by_ordinal_and_tracks(self):
        host = os.path.join(os.path.dirname(self.env.exe), "melodex_host.exe")
        folder = self.env.run_dir("melodex-host")
        result = subprocess.run(["wine", host], cwd=os.path.dirname(self.env.exe), env=self.env.env,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        with open(os.path.join(folder, "host-stderr.log"), "wb") as f:
            f.write(result.stderr)
        output = result.stdout.decode("utf-8", "replace")
        values = dict(line.split("=", 1) for line in output.splitlines() if "=" in line)
        self.assertEqual(result.returncode, 0, output)
        self.assertEqual({k: values.get(k) for k in EXPECTED}, EXPECTED, output)
        # The first buffers may take a while on a loaded machine; the capture must go on after the
        # second MelodexInitialize.
        self.assertGreaterEqual(int(values.get("notifications_after_initialize", 0)), MIN_NOTIFICATIONS, output)


if __name__ == "__main__":
    unittest.main(verbosity=2)
