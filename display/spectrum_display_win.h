// The spectrum analyser's colours, picture bitmap and overlays.
#ifndef HARMOLAB_DISPLAY_SPECTRUM_DISPLAY_WIN_H
#define HARMOLAB_DISPLAY_SPECTRUM_DISPLAY_WIN_H

#include <windows.h>

constexpr int kSpectrumImageWidth = 352;
constexpr int kSpectrumBarsHeight = 80;
constexpr int kSpectrumImageHeight = 104;

void BuildSpectrumColours(int palette_no);
void CreateSpectrumResources(HDC window_dc);
void ReleaseSpectrumResources();
// Rebuilds the picture after a change of mode, zoom or oscilloscope.
void RebuildSpectrumDisplay();
// Frees the memory of the spectrum picture's bitmap header.
void FreeSpectrumPicture();

HPALETTE SpectrumPalette();
HBITMAP SpectrumBitmap();
// Copies scan lines 0..79 of the spectrum picture to the top of the bitmap selected in memory.
void DrawSpectrumBars(HDC memory);
// Scale, keyboard strip and status line below the bars.
void DrawSpectrumScale(HDC memory);

#endif
