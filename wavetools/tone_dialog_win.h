// The sine-wave (test-tone) dialog, and tone making from the settings for every tone player.
#ifndef HARMOLAB_WAVETOOLS_TONE_DIALOG_WIN_H
#define HARMOLAB_WAVETOOLS_TONE_DIALOG_WIN_H

#include <windows.h>

#include <cstdint>

#include "wavetools/wave_source.h"

// Creates and shows the modeless dialog (template 113) owned by the main window; null on failure.
HWND OpenToneDialog();

// MakeTone with the settings' amplitude and stereo option into `tone`; the byte count, 0 when
// nothing was made. A tone too large for memory is reported to the user.
std::uint32_t MakeToneFromSettings(double frequency, double length_ms, int wave, WaveSource& tone);

#endif
