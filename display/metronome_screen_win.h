// The four metronome styles, drawn into the 640 x 480 off-screen buffer.
#ifndef HARMOLAB_DISPLAY_METRONOME_SCREEN_WIN_H
#define HARMOLAB_DISPLAY_METRONOME_SCREEN_WIN_H

#include <windows.h>

void DrawMetronomeScreen(HDC memory);

#endif
