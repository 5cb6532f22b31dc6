// The tuner and metronome images, the 640 x 480 off-screen buffer and the picture refresh.
#ifndef HARMOLAB_DISPLAY_IMAGES_WIN_H
#define HARMOLAB_DISPLAY_IMAGES_WIN_H

#include <windows.h>

constexpr int kBackBufferWidth = 640;
constexpr int kBackBufferHeight = 480;

void ClearImageTables();
// Loads every image; shows "File Error" at the first missing file. True when all loaded.
bool LoadAllImages();
void ReleaseImages();

// Creates back_buffer compatible with the window's device context; null on failure.
void CreateBackBuffer();
void ReleaseBackBuffer();

// Invalidates the client area below the toolbar without erasing it.
void InvalidateDrawingArea();

// Composes the tuner or metronome screen in back_buffer and scales it onto the window.
void PaintComposedScreen(HDC target);

#endif
