// The display density of the main window, for scaling the painted pictures and their hit boxes.
#ifndef HARMOLAB_APP_DPI_WIN_H
#define HARMOLAB_APP_DPI_WIN_H

#include <windows.h>

// Pixels per inch of the monitor the window is on (96 on systems that don't scale).
int WindowDpi(HWND window);
// A system metric for the given DPI; the plain system metric where Windows lacks the per-DPI form.
int MetricForDpi(int index, int dpi);

#endif
