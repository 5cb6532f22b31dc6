// The metronome's worker thread, its click sounds and its screen reset.
#ifndef HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H
#define HARMOLAB_DISPLAY_METRONOME_ENGINE_WIN_H

void StartMetronome();
// Stops the worker; waits for it to finish its step.
void StopMetronome();
void ResetMetronomeScreen();
// True when both click sounds loaded.
bool LoadClickSounds();
void FreeClickSounds();

#endif
