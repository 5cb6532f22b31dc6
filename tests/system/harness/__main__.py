"""Command line of the harness (used by the CTest fixture):
  python3 tests/system/harness up STATE_DIR     start the environment (Wine prefix made on first use)
  python3 tests/system/harness down STATE_DIR   stop what "up" started"""

import os
import sys

if __package__ in (None, ""):
    # Run as a folder: make the package importable by its name.
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    __package__ = "harness"

from harness.environment import Environment, HarnessError  # noqa: E402


def main(argv):
    if len(argv) == 2 and argv[0] == "up":
        seconds = Environment(argv[1]).up()
        print("test environment up in %.1f s" % seconds)
        return 0
    if len(argv) == 2 and argv[0] == "down":
        Environment(argv[1]).down()
        print("test environment stopped")
        return 0
    sys.stderr.write(__doc__ + "\n")
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except HarnessError as e:
        sys.stderr.write("harness: %s\n" % e)
        sys.exit(1)
