// The program's own window messages. Callbacks and the Melodex library post these exact numbers.
#ifndef HARMOLAB_APP_APP_MESSAGES_H
#define HARMOLAB_APP_APP_MESSAGES_H

constexpr unsigned kWmUser = 0x0400;

constexpr unsigned WM_APP_CAPTURE_DATA = kWmUser;   // lParam: filled capture buffer header
constexpr unsigned WM_APP_PLAY_DONE = kWmUser + 1;  // lParam: played output buffer header
constexpr unsigned WM_APP_TONE_END = kWmUser + 1;   // to the test-tone dialog
constexpr unsigned WM_APP_GO_SPECTRUM = kWmUser + 2;
constexpr unsigned WM_APP_GO_TUNER = kWmUser + 3;
constexpr unsigned WM_APP_GO_METRONOME = kWmUser + 4;
constexpr unsigned WM_APP_CANCELER_PLAY_END = kWmUser + 2;  // to the vocal-canceler dialog
constexpr unsigned WM_APP_WAVE_PLAY_END = kWmUser + 5;
constexpr unsigned WM_APP_MELODEX_DATA = kWmUser + 10;   // lParam: the library's buffer header
constexpr unsigned WM_APP_CANCELER_DONE = kWmUser + 21;  // to the vocal-canceler dialog: the worker ended

#endif
