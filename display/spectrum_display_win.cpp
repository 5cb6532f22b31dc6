// Spectrum display resources; the bars, scale and colours arrive with the analyser.
#include "display/spectrum_display_win.h"

namespace {
HBITMAP spectrum_bitmap = nullptr;
}  // namespace

void BuildSpectrumColours(int) {}

void CreateSpectrumResources(HDC window_dc) {
    ReleaseSpectrumResources();
    spectrum_bitmap = CreateCompatibleBitmap(window_dc, kSpectrumImageWidth, kSpectrumImageHeight);
    if (!spectrum_bitmap) return;
    HDC memory = CreateCompatibleDC(window_dc);
    HGDIOBJ old = SelectObject(memory, spectrum_bitmap);
    PatBlt(memory, 0, 0, kSpectrumImageWidth, kSpectrumImageHeight, BLACKNESS);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void ReleaseSpectrumResources() {
    if (spectrum_bitmap) DeleteObject(spectrum_bitmap);
    spectrum_bitmap = nullptr;
}

void RebuildSpectrumDisplay() {}

void FreeSpectrumPicture() {}

HPALETTE SpectrumPalette() { return nullptr; }
HBITMAP SpectrumBitmap() { return spectrum_bitmap; }
void DrawSpectrumBars(HDC) {}
void DrawSpectrumScale(HDC) {}
