// Spectrum screen on GDI: a 64-colour palette, the 8-bit picture, the strip and the status line.
#include "display/spectrum_display_win.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/gdi_win.h"
#include "app/text_win.h"
#include "audio/capture_win.h"
#include "audio/note_names.h"

namespace {

constexpr int kBitmapHeight = 184;
constexpr int kStripTop = 80;
constexpr int kStatusTop = 92;
constexpr int kStripBottom = 104;
const COLORREF kGrey = 0x02646464;
const COLORREF kBlackKey = 0x02404040;
const COLORREF kStatusText = 0x02FDFDFD;
const COLORREF kLabelText = 0x0200FFFF;
const COLORREF kTraceColour = 0x02FFFF00;  // cyan, apart from the green-yellow-red bars

struct PictureImage {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kPaletteSize];
};

SpectrumColours colours = BuildSpectrumColourTable(0);
std::unique_ptr<SpectrumPicture> picture = std::make_unique<SpectrumPicture>();
PictureImage image_info = {};
HPALETTE palette = nullptr;
HBITMAP bitmap = nullptr;

COLORREF PaletteRgb(const Rgb& c) {
    return 0x02000000 | RGB(c.r, c.g, c.b);
}

void FillArea(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    FillSolid(dc, RECT{left, top, right, bottom}, colour);
}

// Runs `draw` with an Arial 12 font selected and the grey background.
template <typename Draw>
void WithStripFont(HDC dc, COLORREF text_colour, Draw draw) {
    HFONT font = CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkColor(dc, kGrey);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, text_colour);
    draw();
    SelectObject(dc, old);
    DeleteObject(font);
}

void DrawLabel(HDC dc, const std::string& text, int left, int top, int right, int bottom, UINT align) {
    RECT area = {left, top, right, bottom};
    std::wstring wide = Widen(text);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, align | DT_SINGLELINE | DT_TOP | DT_NOPREFIX);
}

void DrawKeyboardStrip(HDC dc) {
    FillArea(dc, 0, kStatusTop, kPictureWidth, kStripBottom, kGrey);
    FillArea(dc, 0, kStripTop, kPictureWidth, kStatusTop, PALETTERGB(0, 0, 0));
    for (int key = 0; key < 88; ++key) {
        COLORREF colour = IsBlackKey(key) ? kBlackKey : PaletteRgb(StripKeyColour(key, app.palette_no));
        FillArea(dc, 4 * key, kStripTop, 4 * key + 3, kStatusTop, colour);
    }
}

void DrawFrequencyStrip(HDC dc) {
    FillArea(dc, 0, kStripTop, kPictureWidth, kStripBottom, kGrey);
    StripLabels labels = FrequencyStripLabels(app.half_sampling_hz, app.zoom_level);
    WithStripFont(dc, kLabelText, [&] {
        DrawLabel(dc, std::to_string(labels.min) + "  (min)", 1, kStripTop, 351, kStripBottom, DT_LEFT);
        DrawLabel(dc, std::to_string(labels.centre) + "  (Hz)", 1, kStripTop, 351, kStripBottom, DT_CENTER);
        DrawLabel(dc, "(max)  " + std::to_string(labels.max), 1, kStripTop, 351, kStripBottom, DT_RIGHT);
    });
}

// The newest samples across the bar area, centred on its middle row, so the waveform of a held
// note can be watched above the bars.
void DrawOscilloscopeTrace(HDC dc) {
    const int16_t* frame = AnalysisFrame();
    if (!frame) return;
    constexpr int kTracePoints = kPictureWidth;
    POINT points[kTracePoints];
    const int16_t* newest = frame + kAnalysisFrameSamples - kTracePoints;
    for (int x = 0; x < kTracePoints; ++x) {
        points[x].x = x;
        points[x].y = kBarRows / 2 - newest[x] * (kBarRows / 2 - 1) / 32768;
    }
    ScopedPen pen(dc, kTraceColour, 1);
    Polyline(dc, points, kTracePoints);
}

void SelectPaletteInto(HDC dc) {
    if (!palette) return;
    SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
}

// The picture's colour table and the palette from the current colour group; the palette is made on
// first use and updated in place afterwards.
void FillColourTables() {
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[kPaletteSize];
    } logical = {0x300, kPaletteSize, {}};
    for (int i = 0; i < kPaletteSize; ++i) {
        logical.entries[i] = {colours[i].r, colours[i].g, colours[i].b, PC_NOCOLLAPSE};
        image_info.colours[i] = {colours[i].b, colours[i].g, colours[i].r, 0};
    }
    if (palette) {
        SetPaletteEntries(palette, 0, kPaletteSize, logical.entries);
    } else {
        palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
    }
}

void DrawStrip() {
    if (!bitmap || !app.window_dc) return;
    HDC memory = CreateCompatibleDC(app.window_dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SelectPaletteInto(memory);
    if (app.plot_mode & 1) {
        DrawKeyboardStrip(memory);
    } else {
        DrawFrequencyStrip(memory);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

void BuildSpectrumColours(int palette_no) {
    colours = BuildSpectrumColourTable(palette_no);
    // A shown picture takes the new colours at once: same palette object, new entries.
    if (!palette) return;
    FillColourTables();
    DrawStrip();
}

void CreateSpectrumResources(HDC window_dc) {
    ReleaseSpectrumResources();
    image_info.header = BITMAPINFOHEADER{};
    image_info.header.biSize = sizeof(BITMAPINFOHEADER);
    image_info.header.biWidth = kPictureWidth;
    image_info.header.biHeight = kBarRows;
    image_info.header.biPlanes = 1;
    image_info.header.biBitCount = 8;
    image_info.header.biCompression = BI_RGB;
    image_info.header.biSizeImage = kPictureWidth * kBarRows;
    image_info.header.biClrUsed = kPaletteSize;
    image_info.header.biClrImportant = kPaletteSize;
    FillColourTables();
    if (!picture) picture = std::make_unique<SpectrumPicture>();
    picture->Clear();
    picture->DrawGrid();
    if (app.plot_mode & 2) picture->DrawOscilloscopeGrid();
    bitmap = CreateCompatibleBitmap(window_dc, kPictureWidth, kBitmapHeight);
    DrawStrip();
}

void ReleaseSpectrumResources() {
    if (bitmap) DeleteObject(bitmap);
    if (palette) DeleteObject(palette);
    bitmap = nullptr;
    palette = nullptr;
}

void RebuildSpectrumDisplay() {
    if (picture && (app.plot_mode & 2)) picture->DrawOscilloscopeGrid();
    DrawStrip();
}

void FreeSpectrumPicture() {
    picture.reset();
}

SpectrumPicture& CurrentSpectrumPicture() {
    if (!picture) picture = std::make_unique<SpectrumPicture>();
    return *picture;
}

HPALETTE SpectrumPalette() {
    return palette;
}
HBITMAP SpectrumBitmap() {
    return bitmap;
}

void DrawSpectrumBars(HDC memory) {
    if (!picture) return;
    SelectPaletteInto(memory);
    SetDIBitsToDevice(memory, 0, 0, kPictureWidth, kBarRows, 0, 0, 0, kBarRows, picture->Pixels(),
                      reinterpret_cast<BITMAPINFO*>(&image_info), DIB_RGB_COLORS);
    if (app.plot_mode & 2) DrawOscilloscopeTrace(memory);
}

void DrawSpectrumScale(HDC memory) {
    FillArea(memory, 0, kStatusTop, kPictureWidth, kStripBottom, kGrey);
    char text[64];
    if (app.plot_mode & 1) {
        if (app.detected_note == 0) return;
        WithStripFont(memory, kStatusText, [&] {
            std::snprintf(text, sizeof(text), "NOTE = %s", SpectrumNoteName(app.detected_note).c_str());
            DrawLabel(memory, text, 16, kStatusTop, 116, kStripBottom, DT_LEFT);
            std::snprintf(text, sizeof(text), "FREQ = %d", app.display_frequency);
            DrawLabel(memory, text, 116, kStatusTop, 216, kStripBottom, DT_LEFT);
            DrawLabel(memory, "Hz", 176, kStatusTop, 236, kStripBottom, DT_LEFT);
        });
        return;
    }
    WithStripFont(memory, kStatusText, [&] {
        std::snprintf(text, sizeof(text), " FREQ=%d", app.display_frequency);
        DrawLabel(memory, text, 16, kStatusTop, 76, kStripBottom, DT_LEFT);
        DrawLabel(memory, "Hz", 76, kStatusTop, 136, kStripBottom, DT_LEFT);
    });
}
