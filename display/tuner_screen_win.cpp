// Tuner screen contents; the images arrive with the tuner.
#include "display/tuner_screen_win.h"

void DrawTunerScreen(HDC) {}
