// The main window: class registration, its window procedure and the handlers it dispatches to.
#ifndef HARMOLAB_APP_MAIN_WINDOW_WIN_H
#define HARMOLAB_APP_MAIN_WINDOW_WIN_H

#include <windows.h>

// The class name and title of a launch mode.
const wchar_t* MainWindowClassName(int launch_mode);
bool RegisterMainWindowClass(HINSTANCE instance, int launch_mode);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Creation and destruction sequences.
LRESULT OnCreate(HWND window);
void OnDestroy(HWND window);
void OnPaint(HWND window);
// Tool switch on WM_APP_GO_SPECTRUM, WM_APP_GO_TUNER and WM_APP_GO_METRONOME.
void OnGoTool(int tool);
// The halves of a tool switch (tool_switch_win.cpp): the old tool's resources go, then the new
// tool's display, half size and toolbar come.
void LeaveTool(int tool);
void EnterTool(int from);
// Caption height, menu-bar height and frame width for the window's display density.
void ReadFrameMetrics(HWND window);
// Sizes the window for screen_size in two passes, keeping its top-left corner; the picture is
// scaled by the window's display density.
void SizeMainWindow();
// WM_DPICHANGED: the window moved to a monitor of another density.
void OnDpiChanged(HWND window);
// WM_COMMAND; the caller then passes the message on to the default procedure.
void OnCommand(HWND window, int id);

#endif
