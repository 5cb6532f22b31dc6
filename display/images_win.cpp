// Image slots and off-screen composition of the tuner and metronome screens.
#include "display/images_win.h"

#include <array>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/gdi_win.h"
#include "app/dpi_win.h"
#include "app/program_folder_win.h"
#include "app/text_win.h"
#include "app/window_layout.h"
#include "display/image_ids.h"
#include "display/metronome_screen_win.h"
#include "display/tuner_screen_win.h"

namespace {

const COLORREF kTunerBackground = RGB(210, 210, 210);
const COLORREF kMetronomeBackground = RGB(255, 255, 255);
const COLORREF kTransparentKey = RGB(255, 255, 255);
constexpr int kSlotCount = 200;

// One loaded image: its bitmap stays selected in its own memory DC for as long as it is loaded.
struct ImageSlot {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original = nullptr;  // the DC's own bitmap, put back before the DC goes
    BITMAP info = {};
};

std::array<ImageSlot, kSlotCount> slots;

void ReleaseSlot(ImageSlot& slot) {
    if (slot.dc) {
        SelectObject(slot.dc, slot.original);
        DeleteDC(slot.dc);
    }
    if (slot.bitmap) DeleteObject(slot.bitmap);
    slot = ImageSlot{};
}

bool LoadImageSlot(int id, HDC dc, const std::string& path) {
    ImageSlot& slot = slots[id];
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, Widen(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!bitmap) return false;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) {
        DeleteObject(bitmap);
        return false;
    }
    ReleaseSlot(slot);
    slot.bitmap = bitmap;
    slot.dc = memory;
    GetObjectW(bitmap, sizeof(BITMAP), &slot.info);
    slot.original = SelectObject(memory, bitmap);
    return true;
}

const ImageSlot* Loaded(int id) {
    if (id < 0 || id >= kSlotCount || !slots[id].dc) return nullptr;
    return &slots[id];
}

void FillBackground(HDC dc, COLORREF colour) {
    ScopedPen pen(dc, colour, 1);
    SolidBrush brush(colour);
    HGDIOBJ old_brush = SelectObject(dc, brush.get());
    Rectangle(dc, 0, 0, kBackBufferWidth, kBackBufferHeight);
    SelectObject(dc, old_brush);
}

}  // namespace

void ClearImageTables() {
    slots.fill(ImageSlot{});
}

bool LoadAllImages() {
    const auto& table = ImageAssetTable();
    // From the folder the program started in, as always; a copy started from elsewhere (a shortcut
    // with another working folder, a command prompt) finds the pictures shipped beside it.
    const std::vector<std::string> folders = DataFolders();
    auto load = [&folders](int id, const std::string& relative) {
        for (const std::string& folder : folders) {
            if (LoadImageSlot(id, app.window_dc, InDataFolder(folder, relative))) return true;
        }
        return false;
    };
    for (int id = 0; id < kImageCount; ++id) {
        if (!load(id, table[id])) {
            MessageBoxW(app.main_window, L"File Error", L"", MB_OK);
            return false;
        }
    }
    return true;
}

void ReleaseImages() {
    for (ImageSlot& slot : slots) ReleaseSlot(slot);
}

void DrawImageKeyed(int id, int x, int y, HDC dc) {
    const ImageSlot* slot = Loaded(id);
    if (!slot) return;
    TransparentBlt(dc, x, y, slot->info.bmWidth, slot->info.bmHeight, slot->dc, 0, 0, slot->info.bmWidth,
                   slot->info.bmHeight, kTransparentKey);
}

void DrawImageOpaque(int id, int x, int y, HDC dc) {
    const ImageSlot* slot = Loaded(id);
    if (!slot) return;
    StretchBlt(dc, x, y, slot->info.bmWidth, slot->info.bmHeight, slot->dc, 0, 0, slot->info.bmWidth,
               slot->info.bmHeight, SRCCOPY);
}

void DrawImageScaled(int id, int x, int y, int width, int height, HDC dc) {
    const ImageSlot* slot = Loaded(id);
    if (!slot) return;
    StretchBlt(dc, x, y, width, height, slot->dc, 0, 0, slot->info.bmWidth, slot->info.bmHeight, SRCCOPY);
}

SIZE ImageSize(int id) {
    const ImageSlot* slot = Loaded(id);
    return slot ? SIZE{slot->info.bmWidth, slot->info.bmHeight} : SIZE{0, 0};
}

void CreateBackBuffer() {
    ReleaseBackBuffer();
    app.back_buffer = CreateCompatibleBitmap(app.window_dc, kBackBufferWidth, kBackBufferHeight);
}

void ReleaseBackBuffer() {
    if (app.back_buffer) DeleteObject(app.back_buffer);
    app.back_buffer = nullptr;
}

void InvalidateDrawingArea() {
    HWND window = app.main_window;
    if (!window) return;
    RECT area;
    GetClientRect(window, &area);
    area.top = app.toolbar_height;
    InvalidateRect(window, &area, FALSE);
}

void PaintComposedScreen(HDC target) {
    if (!app.back_buffer) return;
    HDC memory = CreateCompatibleDC(target);
    if (!memory) return;
    HGDIOBJ old_bitmap = SelectObject(memory, app.back_buffer);
    bool metronome = app.current_tool == kToolMetronome;
    FillBackground(memory, metronome ? kMetronomeBackground : kTunerBackground);
    if (metronome) {
        DrawMetronomeScreen(memory);
    } else {
        DrawTunerScreen(memory);
    }
    // Halftone keeps thin lines and digits legible when the picture is shown at half size or
    // stretched for a denser display.
    ScreenSize size = DevicePictureSize(app.screen_size, WindowDpi(app.main_window));
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, app.toolbar_height, size.width, size.height, memory, 0, 0, kBackBufferWidth,
               kBackBufferHeight, SRCCOPY);
    SelectObject(memory, old_bitmap);
    DeleteDC(memory);
}
