// The spectrum analyser's palette, picture bitmap, keyboard strip and status line.
#ifndef HARMOLAB_DISPLAY_SPECTRUM_DISPLAY_WIN_H
#define HARMOLAB_DISPLAY_SPECTRUM_DISPLAY_WIN_H

#include <windows.h>

#include "display/spectrum_picture.h"

// The shown picture: the bars (kPictureWidth x kBarRows) above the keyboard strip and status line.
constexpr int kSpectrumImageHeight = 104;

// The 64 colours of a colour group, for the picture and the palette: at window creation, and when
// the colour group changes (a shown spectrum picture changes at once).
void BuildSpectrumColours(int palette_no);
// Builds the palette, a fresh picture and the bitmap for the window's device context.
void CreateSpectrumResources(HDC window_dc);
void ReleaseSpectrumResources();
// Redraws the strip after a change of mode, zoom or oscilloscope.
void RebuildSpectrumDisplay();
// Frees the picture memory at exit.
void FreeSpectrumPicture();

// The picture the spectrum detectors draw into.
SpectrumPicture& CurrentSpectrumPicture();

HPALETTE SpectrumPalette();
HBITMAP SpectrumBitmap();
// Copies rows 0..79 of the picture, and the oscilloscope trace when it is on, into the bitmap.
void DrawSpectrumBars(HDC memory);
// The status line with the strongest note and its frequency.
void DrawSpectrumScale(HDC memory);

#endif
