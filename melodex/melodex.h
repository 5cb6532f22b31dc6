// The Melodex pitch-following library: six exports, bound by the program by ordinal.
#ifndef HARMOLAB_MELODEX_MELODEX_H
#define HARMOLAB_MELODEX_MELODEX_H

#include <windows.h>

#ifdef MELODEX_BUILD
#define MELODEX_API extern "C" __declspec(dllexport)
#else
#define MELODEX_API extern "C" __declspec(dllimport)
#endif

// 1: builds the analysis tables and a fresh frame; returns 0.
MELODEX_API int MelodexInitialize();
// 2: the window that receives WM_APP_MELODEX_DATA; returns it.
MELODEX_API HWND SetWindowHandle(HWND window);
// 3: starts the library's own capture; returns 1 while running.
MELODEX_API BYTE StartMelodex();
// 4: stops the capture without waiting.
MELODEX_API void StopMelodex();
// 5: 1 while the capture runs.
MELODEX_API BYTE GetMelodexStatus();
// 6: handles one filled buffer that the host was notified of.
MELODEX_API void MelodexProc(LPARAM header, int flag);

#endif
