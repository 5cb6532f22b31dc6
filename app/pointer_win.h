// Mouse messages of the main window on the painted screens.
#ifndef HARMOLAB_APP_POINTER_WIN_H
#define HARMOLAB_APP_POINTER_WIN_H

#include <windows.h>

LRESULT OnLeftButtonDown(HWND window);
LRESULT OnLeftButtonUp(HWND window);
LRESULT OnMouseMove(HWND window);

#endif
