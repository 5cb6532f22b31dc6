// Metronome engine; the beat clock and the clicks arrive with the metronome.
#include "display/metronome_engine_win.h"

void StartMetronome() {}
void StopMetronome() {}
void ResetMetronomeScreen() {}
bool LoadClickSounds() { return false; }
void FreeClickSounds() {}
