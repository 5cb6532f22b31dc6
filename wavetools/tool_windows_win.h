// The WAV tools opened from the main menu: test-tone maker, vocal canceler, Wave View and
// WAV analysis playback.
#ifndef HARMOLAB_WAVETOOLS_TOOL_WINDOWS_WIN_H
#define HARMOLAB_WAVETOOLS_TOOL_WINDOWS_WIN_H

#include <windows.h>

// Modeless dialogs owned by the main window; null when they could not be created.
HWND CreateToneDialog();
HWND CreateVocalCancelerDialog();

// Wave View: closes the window when it is open, otherwise lets the user pick a file and opens it.
void ToggleWaveView();
// WAV analysis playback: starts after a file choice when nothing plays, stops it while it plays.
void ToggleAnalysisPlayback();

#endif
