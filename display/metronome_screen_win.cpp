// Metronome screen contents; the styles arrive with the metronome.
#include "display/metronome_screen_win.h"

void DrawMetronomeScreen(HDC) {}
