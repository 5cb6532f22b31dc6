// Tuner screen rules: readouts, note cells, needle, strings, lamp and the drawing order.
#include "display/tuner_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "display/image_ids.h"

namespace {

constexpr int kBlank = kImageBlankDigit;
int Small(int digit) {
    return kImageSmallDigitFirst + digit;
}
int Large(int digit) {
    return kImageLargeDigitFirst + digit;
}

TEST(TunerLayout, FrequencyCells) {
    const struct {
        int frequency;
        std::array<int, 5> cells;  // places 4..0
    } cases[] = {{0, {kBlank, kBlank, kBlank, kBlank, Small(0)}},
                 {440, {kBlank, kBlank, Small(4), Small(4), Small(0)}},
                 {12345, {Small(1), Small(2), Small(3), Small(4), Small(5)}},
                 {1005, {kBlank, Small(1), Small(0), Small(0), Small(5)}},
                 {27, {kBlank, kBlank, kBlank, Small(2), Small(7)}}};
    for (const auto& c : cases) {
        for (int place = 4; place >= 0; --place) {
            EXPECT_EQ(FrequencyDigitImage(c.frequency, place), c.cells[4 - place]) << c.frequency << " place " << place;
        }
    }
}

TEST(TunerLayout, CentsCellsAndNeedle) {
    const struct {
        int cents;
        std::array<int, 3> cells;
        int end_x, end_y;
    } cases[] = {{-7, {kImageMinus, Small(0), Small(7)}, 145 + 165, 110 + 31},
                 {7, {kBlank, Small(0), Small(7)}, 145 + 185, 110 + 32},
                 {0, {kBlank, Small(0), Small(0)}, 145 + 175, 110 + 30},
                 {-50, {kImageMinus, Small(5), Small(0)}, 145 + 12, 110 + 86},
                 {50, {kBlank, Small(5), Small(0)}, 145 + 336, 110 + 87},
                 {49, {kBlank, Small(4), Small(9)}, 145 + 336, 110 + 87},
                 {-100, {kBlank, kBlank, kBlank}, 145 + 12, 110 + 86},
                 {51, {kBlank, kBlank, kBlank}, 145 + 336, 110 + 87}};
    for (const auto& c : cases) {
        EXPECT_EQ(CentsImages(c.cents), c.cells) << c.cents;
        NeedleLine line = Needle(c.cents);
        EXPECT_EQ(line.x0, 320);
        EXPECT_EQ(line.y0, 271);
        EXPECT_EQ(line.x1, c.end_x) << c.cents;
        EXPECT_EQ(line.y1, c.end_y) << c.cents;
    }
}

TEST(TunerLayout, NoteCells) {
    const struct {
        int note, fors, octave, letter;
    } cases[] = {{49, 0, Large(4), 76}, {2, 1, Large(0), 77},  {2, 0, Large(0), 78},  {1, 0, Large(0), 76},
                 {3, 0, Large(0), 79},  {4, 0, Large(1), 63},  {15, 1, Large(1), 79}, {16, 0, Large(2), 63},
                 {88, 0, Large(8), 63}, {41, 1, Large(4), 64}, {41, 0, Large(4), 65}, {47, 0, Large(4), 73}};
    for (const auto& c : cases) {
        EXPECT_EQ(OctaveDigitImage(c.note), c.octave) << c.note;
        EXPECT_EQ(NoteLetterImage(c.note, c.fors), c.letter) << c.note << " fors " << c.fors;
    }
}

TEST(TunerLayout, StringsAndLamp) {
    EXPECT_EQ(StringNumberImage(0, 0, 0), kImageStringFirst + 2 * 5);  // guitar index 0: string 6
    EXPECT_EQ(StringNumberImage(0, 5, 1), kImageStringFirst + 1);      // index 5: string 1, on
    EXPECT_EQ(StringNumberImage(1, 0, 0), kImageStringFirst + 2 * 3);  // bass index 0: string 4
    EXPECT_EQ(StringNumberImage(3, 2, 0), kImageStringFirst);          // shamisen index 2: string 1

    EXPECT_EQ(LampImage(49, 49, 9), kImageLedInTune);
    EXPECT_EQ(LampImage(49, 49, -9), kImageLedInTune);
    EXPECT_EQ(LampImage(49, 49, 10), kImageLedOffPitch);
    EXPECT_EQ(LampImage(49, 48, 0), kImageLedOther);
    EXPECT_EQ(LampImage(0, 0, -100), kImageLedOffPitch);
    EXPECT_EQ(LampImage(0, 49, 0), kImageLedOther);
}

TEST(TunerLayout, DrawingOrderAndPressedImages) {
    TunerView view;
    view.detected_note = 49;
    view.display_frequency = 440;
    view.cents_offset = 3;
    view.target_note = 0;
    view.pressed_button = 4;
    std::vector<ImageDraw> images = TunerScreenImages(view);
    ASSERT_FALSE(images.empty());
    EXPECT_EQ(images.front(), (ImageDraw{kImageFlat, 0, 0, true}));
    EXPECT_EQ(images.back(), (ImageDraw{kImageLedOther, 304, 200, false}));
    auto has = [&images](const ImageDraw& d) { return std::find(images.begin(), images.end(), d) != images.end(); };
    EXPECT_TRUE(has({Large(4), 180, 40, true}));
    EXPECT_TRUE(has({76, 232, 40, true}));
    EXPECT_TRUE(has({kImageAuto, 270, 340, true}));
    EXPECT_TRUE(has({Small(4), 328, 60, true}));
    EXPECT_TRUE(has({kImageStepButtonFirst + 7, 494, 420, false})) << "button 4 pressed";
    EXPECT_TRUE(has({kImageStepButtonFirst, 350, 420, false})) << "button 1 released";
    EXPECT_TRUE(has({kImageUp, 190, 399, true}));
    EXPECT_TRUE(has({kImageConfig, 250, 420, false}));
    auto face = std::find(images.begin(), images.end(), ImageDraw{kImageMeterFace, 145, 110, false});
    auto config = std::find(images.begin(), images.end(), ImageDraw{kImageConfig, 250, 420, false});
    EXPECT_LT(config, face) << "the meter face follows the controls";

    view.detected_note = 0;
    view.pressed_button = 11;
    images = TunerScreenImages(view);
    EXPECT_TRUE(has({kImageNone, 180, 40, true}));
    EXPECT_TRUE(has({kImageUpPressed, 190, 399, true}));
}

TEST(ImageAssets, TableNamesEveryFileInIdOrder) {
    const auto& t = ImageAssetTable();
    const std::pair<int, const char*> fixed[] = {
        {0, "Tunerimg/Metronome.bmp"}, {1, "Tunerimg/bar1.bmp"},    {38, "Tunerimg/bar38.bmp"},
        {39, "Tunerimg/tuner.bmp"},    {49, "Tunerimg/n9.bmp"},     {50, "Tunerimg/BTRRW1.bmp"},
        {59, "Tunerimg/BTFFW2.bmp"},   {64, "Tunerimg/C#.bmp"},     {79, "Tunerimg/B.bmp"},
        {83, "Tunerimg/numno.bmp"},    {84, "Tunerimg/T1.bmp"},     {120, "Tunerimg/T37.bmp"},
        {121, "Tunerimg/0.bmp"},       {131, "Tunerimg/minus.bmp"}, {139, "Tunerimg/inst1on.bmp"},
        {157, "Tunerimg/st6on.bmp"},   {160, "Tunerimg/up1.bmp"},   {167, "Tunerimg/tempo.bmp"},
        {172, "Tunerimg/shadow.bmp"},  {175, "Tunerimg/led3.bmp"}};
    for (const auto& [id, name] : fixed) EXPECT_EQ(t[id], name) << id;
    for (const std::string& name : t) EXPECT_EQ(name.rfind("Tunerimg/", 0), 0u) << name;
    std::vector<std::string> sorted(t.begin(), t.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "every file once";
}

}  // namespace
