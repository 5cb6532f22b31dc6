// Spectrum picture pixels, colour groups, note names, strip colours and labels.
#include "display/spectrum_picture.h"

#include <gtest/gtest.h>

namespace {

TEST(SpectrumPicture, GridAndBars) {
    SpectrumPicture p;
    EXPECT_EQ(p.At(0, 20), kGridRowIndex);
    EXPECT_EQ(p.At(88, 0), kGridColumnIndex);
    EXPECT_EQ(p.At(87, 19), kBackgroundIndex);

    p.PaintColumn(5, 80);
    for (int row = 0; row < 80; ++row) {
        uint8_t expected = static_cast<uint8_t>(32 + 32 * row / 80);
        for (int x = 20; x < 23; ++x) EXPECT_EQ(p.At(x, row), expected) << row;
        EXPECT_EQ(p.At(23, row), kBackgroundIndex) << "gap across grid rows too, row " << row;
    }

    p.PaintColumn(6, 1);
    EXPECT_EQ(p.At(24, 0), 32);
    EXPECT_EQ(p.At(24, 1), kBackgroundIndex);

    p.DrawGrid();
    EXPECT_EQ(p.At(20, 10), kBackgroundIndex) << "the grid redraw clears the bars";
}

TEST(SpectrumPicture, HistoryScrollsAndShades) {
    SpectrumPicture p;
    const struct {
        int level;
        uint8_t shade;
    } cases[] = {{0, 16}, {1, 16}, {2, 16}, {3, 17}, {40, 39}, {80, 63}};
    for (const auto& c : cases) {
        p.PaintHistory(0, c.level);
        EXPECT_EQ(p.At(0, 239), c.shade) << c.level;
        EXPECT_EQ(p.At(3, 239), kBackgroundIndex);
    }
    p.PaintHistory(1, 80);
    p.ScrollHistory();
    EXPECT_EQ(p.At(4, 238), 63);
    p.DrawGrid();
    EXPECT_EQ(p.At(4, 238), 63) << "the grid leaves the history alone";
}

TEST(SpectrumColours, GroupsRotateChannels) {
    SpectrumColours g0 = BuildSpectrumColourTable(0);
    EXPECT_EQ(g0[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(g0[31], (Rgb{0, 255, 0}));
    EXPECT_EQ(g0[48], (Rgb{255, 239, 0}));
    EXPECT_EQ(g0[63], (Rgb{255, 0, 0}));
    SpectrumColours g1 = BuildSpectrumColourTable(1);
    SpectrumColours g2 = BuildSpectrumColourTable(2);
    for (int i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(g1[i], (Rgb{g0[i].g, g0[i].b, g0[i].r})) << i;
        EXPECT_EQ(g2[i], (Rgb{g0[i].b, g0[i].r, g0[i].g})) << i;
    }
    EXPECT_EQ(BuildSpectrumColourTable(7), g0);
}

TEST(SpectrumStrip, NoteNamesKeysAndLabels) {
    EXPECT_TRUE(IsBlackKey(1));
    EXPECT_FALSE(IsBlackKey(3));
    EXPECT_EQ(StripKeyColour(1, 0), (Rgb{64, 64, 64}));
    EXPECT_EQ(StripKeyColour(0, 0), (Rgb{240, 0, 240}));    // octave 0: even
    EXPECT_EQ(StripKeyColour(3, 0), (Rgb{240, 255, 240}));  // the first C starts octave 1
    EXPECT_EQ(StripKeyColour(0, 1), (Rgb{255, 202, 202}));
    EXPECT_EQ(StripKeyColour(5, 1), (Rgb{240, 240, 255}));
    EXPECT_EQ(StripKeyColour(48, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(StripKeyColour(27, 1), (Rgb{240, 240, 255}));  // octave 3 back to the parity rule

    const struct {
        int zoom, min, centre, max;
    } labels[] = {{1, 2, 11025, 22050}, {2, 2, 5512, 11025}, {3, 11025, 16537, 22050}};
    for (const auto& l : labels) {
        StripLabels got = FrequencyStripLabels(22050, l.zoom);
        EXPECT_EQ(got.min, l.min) << l.zoom;
        EXPECT_EQ(got.centre, l.centre) << l.zoom;
        EXPECT_EQ(got.max, l.max) << l.zoom;
    }
}

}  // namespace
