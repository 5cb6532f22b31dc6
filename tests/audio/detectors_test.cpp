// The three detectors on synthetic frames: notes, frequencies, holds and the spectrum picture.
#include "audio/detectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/debug_log.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Tone {
    double hz;
    double amplitude;  // fraction of full scale
};

std::vector<int16_t> Frame(const std::vector<Tone>& tones, int rate = 44100) {
    std::vector<int16_t> frame(kFrameSamples);
    for (int i = 0; i < kFrameSamples; ++i) {
        double v = 0;
        for (const Tone& t : tones) v += t.amplitude * 32767.0 * std::sin(2 * kPi * t.hz * i / rate);
        frame[i] = static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return frame;
}

double KeyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 49) / 12.0);
}  // key 1..88

class DetectorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.half_sampling_hz = 22050;
        state.zoom_level = 1;
        spectra.BuildTables(22050);
        SetDebugSink([this](const char* line) { lines.push_back(line); });
    }
    void TearDown() override { SetDebugSink(nullptr); }

    AppState state;
    Spectra spectra;
    SpectrumPicture picture;
    TunerDetectorState tuner;
    std::vector<std::string> lines;
};

TEST_F(DetectorsTest, NoteModeNamesTheKey) {
    const struct {
        double hz;
        int note;
        int frequency;
    } cases[] = {{440.0, 49, 440}, {27.5, 1, 27}, {KeyHz(40), 40, 261}, {KeyHz(88), 88, 4186}, {KeyHz(20), 20, 82}};
    for (const auto& c : cases) {
        auto frame = Frame({{c.hz, 0.5}});
        EXPECT_TRUE(DetectNoteSpectrum(state, spectra, picture, frame.data())) << c.hz;
        EXPECT_EQ(state.detected_note, c.note) << c.hz;
        EXPECT_EQ(state.display_frequency, c.frequency) << c.hz;
    }
}

TEST_F(DetectorsTest, NoteModeDrawsBarsAndHistory) {
    auto frame = Frame({{440.0, 1.0}});
    DetectNoteSpectrum(state, spectra, picture, frame.data());
    EXPECT_EQ(picture.At(4 * 48, 79), 63) << "a full-scale A4 fills its bar";
    EXPECT_EQ(picture.At(4 * 48 + 3, 10), kBackgroundIndex);
    EXPECT_EQ(picture.At(4 * 48, 239), 63);
}

TEST_F(DetectorsTest, SilenceClearsAndDrawsOnlyTheGrid) {
    std::vector<int16_t> silence(kFrameSamples, 0);
    state.detected_note = 12;
    state.display_frequency = 99;
    for (auto detect : {DetectNoteSpectrum, DetectFrequencySpectrum}) {
        EXPECT_FALSE(detect(state, spectra, picture, silence.data()));
        EXPECT_EQ(state.detected_note, 0);
        EXPECT_EQ(state.display_frequency, 0);
        SpectrumPicture grid_only;
        for (int row = 0; row < kBarRows; ++row) {
            for (int x = 0; x < kPictureWidth; ++x) ASSERT_EQ(picture.At(x, row), grid_only.At(x, row));
        }
        for (int band = 0; band < 88; ++band) EXPECT_EQ(picture.At(4 * band, 239), 16);
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(DetectorsTest, QuietToneIsNotSounding) {
    auto frame = Frame({{440.0, 0.01}});  // level 25
    EXPECT_FALSE(DetectNoteSpectrum(state, spectra, picture, frame.data()));
    EXPECT_EQ(state.detected_note, 0);
}

TEST_F(DetectorsTest, FrequencyModeUsesColumnPeak) {
    state.detected_note = 7;
    for (auto [zoom, hz] : {std::pair{1, 440.0}, std::pair{2, 440.0}, std::pair{3, 8000.0}}) {
        auto frame = Frame({{hz, 0.5}});
        state.zoom_level = zoom;
        lines.clear();
        EXPECT_TRUE(DetectFrequencySpectrum(state, spectra, picture, frame.data()));
        ColumnPeak best{0, 0};
        int best_column = 0;
        for (int c = 0; c < 88; ++c) {
            ColumnPeak p = spectra.ColumnLevel(c, zoom);
            if (p.level > best.level) best = p, best_column = c;
        }
        EXPECT_EQ(state.display_frequency,
                  static_cast<int>(best_column * 250.5681818181818 + best.offset * 10.7666015625))
            << zoom;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], std::to_string(best_column) + " j=" + std::to_string(best.offset) + " \r\n");
        EXPECT_EQ(state.detected_note, 7) << "frequency mode leaves the note alone";
    }
    state.zoom_level = 1;
    auto a4 = Frame({{440.0, 0.5}});
    DetectFrequencySpectrum(state, spectra, picture, a4.data());
    EXPECT_EQ(state.display_frequency, 433) << "this A4's peak is index 40, column 1: 250.57 + 17 x 10.77";
}

TEST_F(DetectorsTest, TunerWithoutTargetFollowsTheStrongestKey) {
    const struct {
        int key;
        double cents;  // detuning of the tone, which the reading must follow
    } cases[] = {{49, 0}, {1, 0}, {40, 0}, {88, 0}, {49, 23}, {49, -18}, {64, -25}, {30, 15}, {76, 40}};
    for (const auto& c : cases) {
        auto frame = Frame({{KeyHz(c.key) * std::pow(2.0, c.cents / 1200), 0.5}});
        lines.clear();
        EXPECT_TRUE(DetectTuner(state, spectra, tuner, frame.data()));
        EXPECT_EQ(state.detected_note, c.key);
        EXPECT_NEAR(state.cents_offset, c.cents, 1) << c.key;
        EXPECT_EQ(tuner.hold_frames, 10);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("i=" + std::to_string(c.key - 1) + " j=", 0), 0u) << lines[0];
    }
    std::vector<int16_t> silence(kFrameSamples, 0);
    EXPECT_FALSE(DetectTuner(state, spectra, tuner, silence.data()));
    EXPECT_EQ(state.detected_note, 0);
    EXPECT_EQ(state.cents_offset, -100);
    EXPECT_EQ(tuner.hold_frames, 0);
}

TEST_F(DetectorsTest, TunerHoldsTheTargetOnlyWhileTheHoldLasts) {
    state.target_note = 49;
    auto target_alone = Frame({{440.0, 0.3}});
    EXPECT_TRUE(DetectTuner(state, spectra, tuner, target_alone.data()));
    EXPECT_EQ(state.detected_note, 49);

    // E4 leads first, C5 then takes over: the target is neither leader nor the displaced one.
    auto other_leads = Frame({{KeyHz(44), 0.3}, {440.0, 0.08}, {KeyHz(52), 0.5}});
    int shown = 0;
    for (int frame = 0; frame < 12; ++frame) {
        DetectTuner(state, spectra, tuner, other_leads.data());
        if (state.detected_note == 49) {
            ++shown;
            EXPECT_EQ(state.cents_offset, tuner.target_deviation);
            EXPECT_NEAR(state.cents_offset, 0, 1) << "the quiet A4 itself is measured, not the loud keys";
        }
    }
    EXPECT_EQ(shown, 9) << "frames 1..9 of the hold keep the target, the tenth clears it";
    EXPECT_EQ(state.detected_note, 0);

    // When the target led until it was displaced, it is shown and the hold restarts.
    auto target_displaced = Frame({{440.0 * std::pow(2.0, -14 / 1200.0), 0.2}, {KeyHz(52), 0.5}});
    EXPECT_TRUE(DetectTuner(state, spectra, tuner, target_displaced.data()));
    EXPECT_EQ(state.detected_note, 49);
    EXPECT_NEAR(state.cents_offset, -14, 1);
    EXPECT_EQ(tuner.hold_frames, 10);
}

TEST_F(DetectorsTest, RunDetectorPicksByToolAndMode) {
    auto frame = Frame({{440.0, 0.5}});
    state.current_tool = kToolMetronome;
    EXPECT_FALSE(RunDetector(state, spectra, picture, tuner, frame.data()));
    state.current_tool = kToolSpectrum;
    state.plot_mode = 1;
    EXPECT_TRUE(RunDetector(state, spectra, picture, tuner, frame.data()));
    EXPECT_EQ(state.display_frequency, 440);
    state.plot_mode = 0;
    EXPECT_TRUE(RunDetector(state, spectra, picture, tuner, frame.data()));
    EXPECT_EQ(state.display_frequency, 433);
}

TEST(NoteFrequencies, TableToFourPlaces) {
    const auto& t = NoteFrequencies();
    EXPECT_DOUBLE_EQ(t[0], 27.5);
    EXPECT_DOUBLE_EQ(t[39], 261.6256);
    EXPECT_DOUBLE_EQ(t[48], 440.0);
    EXPECT_DOUBLE_EQ(t[87], 4186.009);
}

}  // namespace
