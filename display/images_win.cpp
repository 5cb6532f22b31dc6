// Off-screen composition of the tuner and metronome screens.
#include "display/images_win.h"

#include "app/app_state.h"
#include "app/window_layout.h"
#include "display/metronome_screen_win.h"
#include "display/tuner_screen_win.h"

namespace {
const COLORREF kTunerBackground = RGB(210, 210, 210);
const COLORREF kMetronomeBackground = RGB(255, 255, 255);
}  // namespace

void ClearImageTables() {}
bool LoadAllImages() { return true; }
void ReleaseImages() {}

void CreateBackBuffer() {
    ReleaseBackBuffer();
    app.back_buffer = CreateCompatibleBitmap(app.window_dc, kBackBufferWidth, kBackBufferHeight);
}

void ReleaseBackBuffer() {
    if (app.back_buffer) DeleteObject(app.back_buffer);
    app.back_buffer = nullptr;
}

void InvalidateDrawingArea() {
    if (!app.main_window) return;
    RECT area;
    GetClientRect(app.main_window, &area);
    area.top = app.toolbar_height;
    InvalidateRect(app.main_window, &area, FALSE);
}

void PaintComposedScreen(HDC target) {
    if (!app.back_buffer) return;
    HDC memory = CreateCompatibleDC(target);
    if (!memory) return;
    HGDIOBJ old_bitmap = SelectObject(memory, app.back_buffer);

    RECT whole = {0, 0, kBackBufferWidth, kBackBufferHeight};
    HBRUSH background =
        CreateSolidBrush(app.current_tool == kToolMetronome ? kMetronomeBackground : kTunerBackground);
    FillRect(memory, &whole, background);
    DeleteObject(background);
    if (app.current_tool == kToolMetronome) {
        DrawMetronomeScreen(memory);
    } else {
        DrawTunerScreen(memory);
    }

    ScreenSize size = PictureSize(app.screen_size);
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, app.toolbar_height, size.width, size.height, memory, 0, 0, kBackBufferWidth,
               kBackBufferHeight, SRCCOPY);
    SelectObject(memory, old_bitmap);
    DeleteDC(memory);
}
