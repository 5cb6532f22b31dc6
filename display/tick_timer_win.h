// The program-long 20 ms multimedia timer that drives held-button repetition.
#ifndef HARMOLAB_DISPLAY_TICK_TIMER_WIN_H
#define HARMOLAB_DISPLAY_TICK_TIMER_WIN_H

#include <windows.h>

// Starts the periodic timer with the window as its user value; on failure shows
// "ERROR:timeSetEvent" and the program runs without it.
void StartTickTimer(HWND window);
// Kills the timer, releases its period and resets tick_count.
void StopTickTimer();

#endif
