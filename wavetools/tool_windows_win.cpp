// WAV tools; each arrives with its own feature.
#include "wavetools/tool_windows_win.h"

HWND CreateToneDialog() { return nullptr; }
HWND CreateVocalCancelerDialog() { return nullptr; }
void ToggleWaveView() {}
void ToggleAnalysisPlayback() {}
