// The tuner screen, drawn into the 640 x 480 off-screen buffer.
#ifndef HARMOLAB_DISPLAY_TUNER_SCREEN_WIN_H
#define HARMOLAB_DISPLAY_TUNER_SCREEN_WIN_H

#include <windows.h>

void DrawTunerScreen(HDC memory);

#endif
