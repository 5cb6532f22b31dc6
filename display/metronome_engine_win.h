// The metronome's worker thread, its click sounds and its screen reset.
#ifndef HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H
#define HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H

#include <windows.h>

// Resets the run state and starts the worker thread (worker_state 1; 0 when it can't be started).
void StartMetronome();
// Asks the worker to stop and waits until it has ended (500 ms as a rule, longer only if it is
// stuck), then puts the rod upright.
void StopMetronome();
// Entering the metronome screen: the click sounds are loaded again, the rod stands upright.
void ResetMetronomeScreen();
// True when both click sounds and the click ring are ready.
bool LoadClickSounds();
// Ends a worker that still runs, then frees the sounds and the ring.
void FreeClickSounds();

// WM_APP_METRONOME_CLICK: the worker asks for the click of slot `slot` on a beat; it starts here, on
// the GUI thread, because the playback engine lives there. Returns 0.
LRESULT OnMetronomeClick(WPARAM slot);

#endif
