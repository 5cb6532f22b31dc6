// The metronome's runs on their output stream, its click sounds and its screen reset.
#ifndef HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H
#define HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H

#include <windows.h>

// Resets the run state and starts the output stream, whose first beat sounds at once (worker_state
// 1; 0 when its thread can't be started).
void StartMetronome();
// Stops the stream and closes the device, then puts the rod upright.
void StopMetronome();
// Pause and resume: the stream, the beat grid and the animation stand still and go on together.
void PauseMetronome(bool paused);
// Entering the metronome screen: the click sounds are loaded again, the rod stands upright.
void ResetMetronomeScreen();
// True when both click sounds are ready.
bool LoadClickSounds();
// Ends a run that still plays, then frees the sounds.
void FreeClickSounds();

#endif
