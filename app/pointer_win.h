// Mouse messages of the main window on the painted screens.
#ifndef HARMOLAB_APP_POINTER_WIN_H
#define HARMOLAB_APP_POINTER_WIN_H

#include <windows.h>

LRESULT OnLeftButtonDown(HWND window);
LRESULT OnLeftButtonUp(HWND window);
// WM_CAPTURECHANGED: the held painted button, if any, is let go.
LRESULT OnCaptureChanged();
// `keys` is the message's wParam: a drag needs the left button down.
LRESULT OnMouseMove(HWND window, WPARAM keys);

#endif
