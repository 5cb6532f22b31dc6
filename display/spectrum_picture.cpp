// Spectrum picture pixels, colours, note names and strip labels.
#include "display/spectrum_picture.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kGridRows[] = {20, 40, 60};
constexpr int kGridColumns[] = {88, 176, 264};
constexpr int kOscilloscopeGridRows[] = {100, 120, 140};

Rgb GroupZeroColour(int index) {
    static const Rgb kFixed[16] = {{0, 0, 0},    {0, 32, 32},   {32, 32, 32},  {255, 0, 255},
                                   {0, 255, 85}, {0, 255, 255}, {255, 255, 0}, {255, 255, 255},
                                   {64, 64, 64}, {0, 0, 128},   {128, 0, 0},   {128, 0, 128},
                                   {0, 128, 0},  {0, 128, 128}, {128, 128, 0}, {192, 192, 192}};
    if (index < 16) return kFixed[index];
    int k = index % 16;
    auto step = static_cast<uint8_t>(15 + 16 * k);
    if (index < 32) return {0, step, 0};
    if (index < 48) return {step, 255, 0};
    return {255, static_cast<uint8_t>(k == 15 ? 0 : 239 - 16 * k), 0};
}

}  // namespace

SpectrumColours BuildSpectrumColourTable(int group) {
    SpectrumColours colours{};
    for (int i = 0; i < kPaletteSize; ++i) {
        Rgb c = GroupZeroColour(i);
        if (group == 1) c = {c.g, c.b, c.r};
        if (group == 2) c = {c.b, c.r, c.g};
        colours[i] = c;
    }
    return colours;
}

SpectrumPicture::SpectrumPicture() {
    DrawGrid();
}

void SpectrumPicture::Clear() {
    pixels_.fill(kBackgroundIndex);
}

void SpectrumPicture::DrawGrid() {
    std::memset(Row(0), kBackgroundIndex, static_cast<size_t>(kBarRows) * kPictureWidth);
    for (int row : kGridRows) std::memset(Row(row), kGridRowIndex, kPictureWidth);
    for (int row = 0; row < kBarRows; ++row) {
        for (int column : kGridColumns) Row(row)[column] = kGridColumnIndex;
    }
}

void SpectrumPicture::DrawOscilloscopeGrid() {
    for (int row : kOscilloscopeGridRows) std::memset(Row(row), kGridRowIndex, kPictureWidth);
}

void SpectrumPicture::PaintColumn(int band, int height) {
    if (band < 0 || band >= kPictureWidth / 4) return;
    height = std::clamp(height, 0, kBarRows);
    for (int row = 0; row < height; ++row) {
        auto shade = static_cast<uint8_t>(kBarBaseIndex + 32 * row / kBarRows);
        uint8_t* p = Row(row) + 4 * band;
        p[0] = p[1] = p[2] = shade;
        p[3] = kBackgroundIndex;
    }
}

void SpectrumPicture::ScrollHistory() {
    std::memmove(Row(kHistoryFirstRow), Row(kHistoryFirstRow + 1),
                 static_cast<size_t>(kPictureRows - kHistoryFirstRow - 1) * kPictureWidth);
}

void SpectrumPicture::PaintHistory(int band, int level) {
    if (band < 0 || band >= kPictureWidth / 4) return;
    auto shade = static_cast<uint8_t>(kHistoryBaseIndex + (48 * level - 48) / 80);
    uint8_t* p = Row(kPictureRows - 1) + 4 * band;
    p[0] = p[1] = p[2] = shade;
    p[3] = kBackgroundIndex;
}

bool IsBlackKey(int key) {
    int m = key % 12;
    return m == 1 || m == 4 || m == 6 || m == 9 || m == 11;
}

Rgb StripKeyColour(int key, int group) {
    if (IsBlackKey(key)) return {64, 64, 64};
    if (group == 1) {
        if (key == 0 || key == 2) return {255, 202, 202};
        if (key >= 3 && key <= 14) return {240, 240, 255};
        if (key >= 15 && key <= 26) return {255, 202, 202};
        if (key >= 39 && key <= 50) return {0, 0, 255};
    }
    int octave = (key + 9) / 12;
    uint8_t v = (octave % 2 == 1) ? 255 : 0;
    if (group == 1) return {240, 240, v};
    return {240, v, 240};
}

StripLabels FrequencyStripLabels(int nyquist_hz, int zoom_level) {
    if (zoom_level == 3) return {nyquist_hz / 2, nyquist_hz / 2 + (nyquist_hz / 2) / 2, nyquist_hz};
    int zoom = zoom_level == 2 ? 2 : 1;
    return {nyquist_hz / 8192, (nyquist_hz / 2) / zoom, nyquist_hz / zoom};
}
