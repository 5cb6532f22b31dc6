// The vocal-canceler dialog (template 116): its worker thread, progress and file playback.
#ifndef HARMOLAB_WAVETOOLS_VOCAL_CANCELER_WIN_H
#define HARMOLAB_WAVETOOLS_VOCAL_CANCELER_WIN_H

#include <windows.h>

// Creates and shows the modeless dialog owned by the main window; an open one is brought to the
// front and returned instead. Null on failure.
HWND OpenVocalCancelerDialog();

// Stops a running Make and waits up to 2 s for its worker to end (dialog closing, program quitting);
// the stopped run leaves no output file.
void StopCancelerWorker();

#endif
