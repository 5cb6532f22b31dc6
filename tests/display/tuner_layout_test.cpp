// Tuner screen rules at the edges the reference pictures and the live tuner test don't reach:
// blank and out-of-range readouts, octave changes at C, string numbering, the lamp and pressed images.
#include "display/tuner_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "display/image_ids.h"

namespace {

constexpr int kBlank = kImageBlankDigit;
int Small(int digit) {
    return kImageSmallDigitFirst + digit;
}

TEST(TunerLayout, ReadoutsBlankLeadingPlacesAndOutOfRangeCents) {
    EXPECT_EQ(FrequencyDigitImage(0, 0), Small(0)) << "no reading still shows a 0";
    EXPECT_EQ(FrequencyDigitImage(0, 1), kBlank);
    EXPECT_EQ(FrequencyDigitImage(1005, 1), Small(0)) << "inner zeros show";
    EXPECT_EQ(FrequencyDigitImage(12345, 4), Small(1));
    EXPECT_EQ(CentsImages(-7), (std::array<int, 3>{kImageMinus, Small(0), Small(7)}));
    EXPECT_EQ(CentsImages(50), (std::array<int, 3>{kBlank, Small(5), Small(0)}));
    for (int cents : {-100, 51}) EXPECT_EQ(CentsImages(cents), (std::array<int, 3>{kBlank, kBlank, kBlank}));
    // The needle stops at the scale's ends: no reading rests at -50, +50 uses +49's point.
    auto end = [](int cents) { return std::array<int, 2>{Needle(cents).x1, Needle(cents).y1}; };
    EXPECT_EQ(end(-100), end(-50));
    EXPECT_EQ(end(50), end(49));
    EXPECT_LT(end(-7)[0], end(0)[0]);
    EXPECT_GT(end(7)[0], end(0)[0]);
}

TEST(TunerLayout, OctaveChangesAtCAndLettersFollowFlatsOrSharps) {
    const struct {
        int note, fors, octave, letter;
    } cases[] = {{3, 0, 0, 79},  {4, 0, 1, 63},  {15, 1, 1, 79}, {16, 0, 2, 63},
                 {88, 0, 8, 63}, {41, 1, 4, 64}, {41, 0, 4, 65}};
    for (const auto& c : cases) {
        EXPECT_EQ(OctaveDigitImage(c.note), kImageLargeDigitFirst + c.octave) << c.note;
        EXPECT_EQ(NoteLetterImage(c.note, c.fors), c.letter) << c.note << " fors " << c.fors;
    }
}

TEST(TunerLayout, StringsCountDownAndTheLampJudgesNineCents) {
    EXPECT_EQ(StringNumberImage(0, 0, 0), kImageStringFirst + 2 * 5);  // guitar index 0: string 6
    EXPECT_EQ(StringNumberImage(0, 5, 1), kImageStringFirst + 1);      // index 5: string 1, on
    EXPECT_EQ(StringNumberImage(3, 2, 0), kImageStringFirst);          // shamisen index 2: string 1
    EXPECT_EQ(LampImage(49, 49, -9), kImageLedInTune);
    EXPECT_EQ(LampImage(49, 49, 10), kImageLedOffPitch);
    EXPECT_EQ(LampImage(49, 48, 0), kImageLedOther);
    EXPECT_EQ(LampImage(0, 49, 0), kImageLedOther) << "the automatic target";
}

TEST(TunerLayout, PressedButtonsShowTheirPressedImages) {
    TunerView view;
    view.pressed_button = 4;
    std::vector<ImageDraw> images = TunerScreenImages(view);
    auto has = [&images](const ImageDraw& d) { return std::find(images.begin(), images.end(), d) != images.end(); };
    EXPECT_TRUE(has({kImageStepButtonFirst + 7, 494, 420, false})) << "button 4 pressed";
    EXPECT_TRUE(has({kImageStepButtonFirst, 350, 420, false})) << "button 1 released";
    view.pressed_button = 11;
    images = TunerScreenImages(view);
    EXPECT_TRUE(has({kImageUpPressed, 190, 399, true}));
}

TEST(ImageAssets, EveryFileOnceUnderTheImageFolder) {
    const auto& t = ImageAssetTable();
    const std::set<std::string> names(t.begin(), t.end());
    EXPECT_EQ(names.size(), t.size());
    for (const std::string& name : t) EXPECT_EQ(name.rfind("Tunerimg/", 0), 0u) << name;
}

}  // namespace
