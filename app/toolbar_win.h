// The toolbar band of the main window: eight buttons whose images mirror the state.
#ifndef HARMOLAB_APP_TOOLBAR_WIN_H
#define HARMOLAB_APP_TOOLBAR_WIN_H

#include <windows.h>

// Images of the toolbar strip.
enum ToolbarImage : int {
    kImagePowerOff = 0,
    kImagePowerOn = 1,
    kImagePauseOff = 2,
    kImagePauseOn = 3,
    kImageSpectrum = 4,
    kImageSpectrumActive = 5,
    kImageTuner = 6,
    kImageTunerActive = 7,
    kImageMetronome = 8,
    kImageMetronomeActive = 9,
    kImageSine = 10,
    kImageSineActive = 11,
    kImageNoteModeOff = 12,
    kImageNoteModeOn = 13,
    kImageHelp = 14,
};

// Creates the toolbar in app.toolbar and measures app.toolbar_height.
void CreateMainToolbar(HWND window);
void SetToolbarImage(int command, int image);
// The tool buttons show which tool is current.
void ShowCurrentToolOnToolbar();
// Answers the tooltips' text requests; returns 0.
LRESULT OnToolbarNotify(LPARAM lparam);

#endif
