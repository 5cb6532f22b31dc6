// The tuner and metronome images, the 640 x 480 off-screen buffer and the picture refresh.
#ifndef HARMOLAB_DISPLAY_IMAGES_WIN_H
#define HARMOLAB_DISPLAY_IMAGES_WIN_H

#include <windows.h>

constexpr int kBackBufferWidth = 640;
constexpr int kBackBufferHeight = 480;

// Forgets every slot without releasing (window creation: nothing is loaded yet).
void ClearImageTables();
// Loads every image in id order; at the first missing file shows "File Error" and stops.
// True when all loaded.
bool LoadAllImages();
// Releases every loaded image.
void ReleaseImages();

// Copies an image at natural size: keyed treats white as transparent, opaque copies every pixel.
void DrawImageKeyed(int id, int x, int y, HDC dc);
void DrawImageOpaque(int id, int x, int y, HDC dc);
// Copies an image scaled into the given rectangle.
void DrawImageScaled(int id, int x, int y, int width, int height, HDC dc);
// Natural size of a loaded image; 0 x 0 when the slot is empty.
SIZE ImageSize(int id);

// Creates back_buffer compatible with the window's device context; null on failure.
void CreateBackBuffer();
void ReleaseBackBuffer();

// Invalidates the client area below the toolbar without erasing it.
void InvalidateDrawingArea();

// Composes the tuner or metronome screen in back_buffer and scales it onto the window.
void PaintComposedScreen(HDC target);

#endif
