"""Kept only for test files written before the harness became a package: use harmolab instead."""

from harmolab import CHANNEL_TOLERANCE, MAX_DIFFERING, PaintedScreen, Pointer, difference_picture, read_png, region  # noqa: F401
