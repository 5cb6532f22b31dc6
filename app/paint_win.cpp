// Painting the current tool's picture: the spectrum directly, the others through the back buffer.
#include "app/app_state.h"
#include "app/main_window_win.h"
#include "display/images_win.h"
#include "display/spectrum_display_win.h"

namespace {

void PaintSpectrum(HWND window, HDC dc) {
    HPALETTE palette = SpectrumPalette();
    if (palette) {
        SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    RECT client;
    GetClientRect(window, &client);
    DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);

    HBITMAP bitmap = SpectrumBitmap();
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    DrawSpectrumBars(memory);
    DrawSpectrumScale(memory);

    int inset_x = 2 * GetSystemMetrics(SM_CXBORDER);
    int inset_y = 2 * GetSystemMetrics(SM_CYBORDER);
    SetStretchBltMode(dc, WHITEONBLACK);
    StretchBlt(dc, client.left + inset_x, client.top + inset_y, client.right - client.left - 2 * inset_x,
               client.bottom - client.top - 2 * inset_y, memory, 0, 0, kPictureWidth, kSpectrumImageHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

void OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (app.current_tool == kToolSpectrum) {
        PaintSpectrum(window, dc);
    } else {
        PaintComposedScreen(dc);
    }
    EndPaint(window, &ps);
}
