"""The system-test harness: Harmolab.exe under Wine on a private X server and sound server, observed
through the harmodrv.exe driver.

  environment    Xvfb, PulseAudio null sink and the Wine prefix, started once per test run
  program        one Harmolab.exe process, its working folder and debugger lines
  driver         the harmodrv.exe client that finds, steers and observes windows
  pictures       BMP captures and PNG references, comparison
  pointer        the real X pointer
  settings_file  Harmolab.ini texts
  sound          WAV files, playing into the null sink, recording its monitor and measuring tones
  dialogs        windows found by title, their controls, typing into edits
  ids            window messages and resource ids read from the program's headers
  testcase       Session and the test base classes
  resources      GDI objects, windows, heap use and memory of the running program (import it by name)
  package        the built zip and installer, PE resources, shortcuts, fresh prefixes (import it by name)
Everything is also reachable as harness.NAME. Python standard library only; see __main__.py for
the command line."""

from .dialogs import child_handles, type_text, wait_for_window, windows_path
from .driver import Driver, DriverError, fields, ints, quote, unquote
from .environment import (DEFAULT_TIMEOUT, DESKTOP_SIZE, SINK_NAME, SOURCE_DIR, Environment, HarnessError,
                          test_environment)
from .ids import *  # noqa: F401,F403 (IDM_..., IDC_..., WM_APP_... and Windows' own numbers)
from .pictures import (CHANNEL_TOLERANCE, MAX_DIFFERING, REFERENCE_DIR, Image, bmp_to_png, difference_picture,
                       matches_reference, read_png, region)
from .pointer import Pointer
from .program import Program, decode_debug_text, end_process, parse_debug_output
from .settings_file import ini_values, make_ini, parse_ini
from .sound import (DEFAULT_CLICK_TONES, RATE, SERVER_LATENCY, SETTLE_TIMEOUT, MonitorRecording, SinkPlayer,
                    classify_click, click_onsets, click_tone, describe, ended_tone, loud_span, make_tone_wav,
                    measure_tone, poll, read_wave_header, sink_playing, tone_file)
from .testcase import (CLASS_ALL_TOOLS, CLASS_BY_MODE, CLASS_METRONOME, CLASS_SPECTRUM, CLASS_TUNER, PaintedScreen,
                       Session, SystemTestCase, launch_mode)
