// The spectrum analyser's 8-bit picture, its 64-colour table and the texts of its strip.
// Rows are bottom-up: row 0 is the bottom of the bars. Rows 0..79 are shown; rows 160..239 keep a
// scrolling history of one line per analysed buffer.
#ifndef HARMOLAB_DISPLAY_SPECTRUM_PICTURE_H
#define HARMOLAB_DISPLAY_SPECTRUM_PICTURE_H

#include <array>
#include <cstdint>
#include <string>

constexpr int kPictureWidth = 352;
constexpr int kPictureRows = 240;
constexpr int kBarRows = 80;
constexpr int kHistoryFirstRow = 160;
constexpr int kPaletteSize = 64;

// Palette indexes with a fixed meaning.
constexpr uint8_t kBackgroundIndex = 0;
constexpr uint8_t kGridRowIndex = 1;
constexpr uint8_t kGridColumnIndex = 2;
constexpr uint8_t kBarBaseIndex = 32;  // bars shade 32..63 from bottom to top
constexpr uint8_t kHistoryBaseIndex = 16;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

using SpectrumColours = std::array<Rgb, kPaletteSize>;

// Group 0 runs green, yellow, red; groups 1 and 2 rotate its channels. A group outside 0..2 reads as 0.
SpectrumColours BuildSpectrumColourTable(int group);

class SpectrumPicture {
public:
    SpectrumPicture();
    uint8_t* Row(int row) { return &pixels_[static_cast<size_t>(row) * kPictureWidth]; }
    const uint8_t* Row(int row) const { return &pixels_[static_cast<size_t>(row) * kPictureWidth]; }
    const uint8_t* Pixels() const { return pixels_.data(); }
    uint8_t At(int x, int row) const { return Row(row)[x]; }

    // Clears rows 0..79 and draws the grid: rows 20, 40, 60 and columns 88, 176, 264.
    void DrawGrid();
    // Extra grid rows of the oscilloscope option, in rows that are never shown.
    void DrawOscilloscopeGrid();
    // Bar of `height` rows (0..80) for band 0..87: three pixels shading up the ramp, one gap.
    void PaintColumn(int band, int height);
    // Moves the history up one row, making room for a new line in row 239.
    void ScrollHistory();
    // The history line of one band for a level 0..80.
    void PaintHistory(int band, int level);
    void Clear();

private:
    std::array<uint8_t, static_cast<size_t>(kPictureRows) * kPictureWidth> pixels_{};
};

// Colour of the keyboard strip's key 0..87 for a colour group.
Rgb StripKeyColour(int key, int group);
bool IsBlackKey(int key);

// Labels of the frequency-mode strip for a Nyquist frequency and zoom level.
struct StripLabels {
    int min, centre, max;
};
StripLabels FrequencyStripLabels(int nyquist_hz, int zoom_level);

#endif
