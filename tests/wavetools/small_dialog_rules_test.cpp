// Colour group, capture rate and play-volume rules of the small dialogs.
#include "wavetools/small_dialog_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(SmallDialogRules, ConfirmedValues) {
    const struct {
        unsigned typed;
        int palette;
        int rate;
    } cases[] = {{0, 0, 44100},   {1, 1, 44100},     {2, 2, 44100},     {3, 2, 44100},     {5, 2, 44100},
                 {8000, 2, 8000}, {11025, 2, 11025}, {44100, 2, 44100}, {44101, 2, 44100}, {4294967295u, 2, 44100}};
    for (const auto& c : cases) {
        EXPECT_EQ(ConfirmedPaletteNo(c.typed), c.palette) << c.typed;
        EXPECT_EQ(ConfirmedSamplingHz(c.typed), c.rate) << c.typed;
    }
}

TEST(SmallDialogRules, ChooserAnswers) {
    using O = ChooserOutcome;
    const struct {
        bool chosen, buffer_too_small;
        size_t bytes;
        O outcome;
    } cases[] = {{true, false, 40, O::kChosen},
                 {true, false, 511, O::kChosen},
                 {true, false, 512, O::kTooLong},
                 {false, true, 0, O::kTooLong},
                 {false, false, 0, O::kCancelled}};
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyChoice(c.chosen, c.buffer_too_small, c.bytes), c.outcome)
            << c.chosen << c.buffer_too_small << " " << c.bytes;
    }
}

TEST(SmallDialogRules, VolumeFromSliders) {
    const struct {
        int upper, lower;
        unsigned volume;
    } cases[] = {{0, 0, 0x00000000u},    {4096, 0, 0xFFFF0000u},    {0, 4096, 0x0000FFFFu},
                 {4095, 1, 0xFFF00010u}, {2048, 1024, 0x80004000u}, {5000, -3, 0xFFFF0000u}};
    for (const auto& c : cases) {
        EXPECT_EQ(PlayVolumeFromSliders(c.upper, c.lower), c.volume) << c.upper << "," << c.lower;
    }
    for (unsigned volume : {0x00000000u, 0x80004000u, 0xFFF00010u}) {
        EXPECT_EQ(PlayVolumeFromSliders(UpperSliderPosition(volume), LowerSliderPosition(volume)), volume);
    }
    EXPECT_EQ(UpperSliderPosition(0xFFFFFFFFu), 4095);
}

}  // namespace
