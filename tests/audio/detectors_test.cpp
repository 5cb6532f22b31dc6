// The three detectors on synthetic frames: notes, frequencies, holds and the spectrum picture.
#include "audio/detectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/debug_log.h"
#include "audio/key_frequency.h"
#include "app/math_constants.h"

namespace {

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
    auto a4 = Frame({{440.0, 0.5}});
    EXPECT_TRUE(DetectFrequencySpectrum(state, spectra, picture, a4.data()));
    EXPECT_EQ(state.display_frequency, 433) << "this A4's peak is index 40, column 1: 250.57 + 17 x 10.77";
    EXPECT_EQ(lines, std::vector<std::string>{"1 j=17 \r\n"});
    EXPECT_EQ(state.detected_note, 7) << "frequency mode leaves the note alone";
    state.zoom_level = 2;
    DetectFrequencySpectrum(state, spectra, picture, a4.data());
    EXPECT_EQ(lines.back(), "3 j=6 \r\n") << "the peak is sought in the zoom's columns";
}

// `samples` of a sound made of harmonics of f0 (weights of harmonics 1, 2, ...; 0 leaves one out),
// each fading to 1/e in decay_s / h seconds (0: steady), plus white noise of the given rms.
std::vector<int16_t> Sound(double f0, const std::vector<double>& weights, double decay_s = 0,
                           int samples = kFrameSamples, double noise_rms = 0) {
    static std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 1);
    std::vector<int16_t> out(samples);
    for (int i = 0; i < samples; ++i) {
        const double t = i / 44100.0;
        double v = noise_rms * noise(random);
        for (size_t h = 1; h <= weights.size(); ++h) {
            const double fade = decay_s > 0 ? std::exp(-t * h / decay_s) : 1;
            v += weights[h - 1] * fade * std::sin(2 * kPi * f0 * h * t + h);
        }
        out[i] = static_cast<int16_t>(std::lround(std::clamp(v * 32767, -32768.0, 32767.0)));
    }
    return out;
}

TEST_F(DetectorsTest, TunerNamesTheFundamentalWithItsCents) {
    const struct {
        const char* what;
        int key;
        double cents;
        std::vector<double> weights;
    } cases[] = {
        {"sine A0", 1, 0, {0.5}},
        {"sine C8", 88, 0, {0.5}},
        {"sine A4 sharp", 49, 23, {0.5}},
        // A plucked guitar string: its second harmonic 6 dB above the fundamental.
        {"guitar E2", 20, 0, {0.1, 0.2, 0.08, 0.05, 0.03}},
        {"guitar A2 flat", 25, -12, {0.1, 0.2, 0.08, 0.05, 0.03}},
        // Harmonics 2..6 alone: the ear still hears the fundamental.
        {"missing fundamental G3", 35, 8, {0, 0.15, 0.12, 0.1, 0.08, 0.06}},
        // A trumpet: the third harmonic leads, the fundamental is far weaker.
        {"trumpet C4", 40, 0, {0.04, 0.1, 0.16, 0.1, 0.06, 0.04}},
        {"trumpet G4", 47, -7, {0.04, 0.1, 0.16, 0.1, 0.06, 0.04}},
    };
    int previous = 0;
    for (const auto& c : cases) {
        auto frame = Sound(KeyHz(c.key) * std::pow(2.0, c.cents / 1200), c.weights);
        // A changed note shows from its second frame on; the first keeps what was shown, so that
        // the mixture of two notes while one gives way to the next never passes for a third.
        DetectTuner(state, spectra, tuner, frame.data());
        EXPECT_EQ(state.detected_note, previous) << c.what;
        lines.clear();
        EXPECT_TRUE(DetectTuner(state, spectra, tuner, frame.data())) << c.what;
        EXPECT_EQ(state.detected_note, c.key) << c.what;
        EXPECT_NEAR(state.cents_offset, c.cents, 1) << c.what;
        EXPECT_EQ(state.display_frequency, static_cast<int>(KeyTableFrequency(c.key, 440))) << c.what;
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_EQ(lines[0].rfind("i=" + std::to_string(c.key - 1) + " j=", 0), 0u) << lines[0];
        previous = c.key;
    }
}

TEST_F(DetectorsTest, TunerShowsNothingOnSilenceOrNoise) {
    auto a4 = Sound(440.0, {0.5});
    DetectTuner(state, spectra, tuner, a4.data());
    const struct {
        const char* what;
        double rms;  // fraction of full scale
    } cases[] = {{"silence", 0}, {"noise at -70 dBFS", 0.000316}, {"noise at -50 dBFS", 0.00316}};
    for (const auto& c : cases) {
        auto frame = Sound(440.0, {}, 0, kFrameSamples, c.rms);
        EXPECT_FALSE(DetectTuner(state, spectra, tuner, frame.data())) << c.what;
        EXPECT_EQ(state.detected_note, 0) << c.what;
        EXPECT_EQ(state.cents_offset, -100) << c.what;
        EXPECT_EQ(state.display_frequency, 0) << c.what;
    }
}

// An open string played with its string as the target: from 0.1 s after the pluck for two seconds,
// every frame shows the target with cents, although its second harmonic is the strongest band at
// first; a target that does not sound gives way to the played note.
TEST_F(DetectorsTest, TunerTargetShownOnEveryFrameWhileItSounds) {
    const std::vector<double> string_partials = {0.12, 0.3, 0.12, 0.08, 0.05};
    const struct {
        const char* what;
        int string_key;
        double cents;
        int target;
        int shown;
    } cases[] = {
        {"guitar E2 string", 20, -6, 20, 20},    {"ukulele G4 string", 47, 9, 47, 47},
        {"bass A1 string", 13, 4, 13, 13},       {"target an octave above", 20, 0, 32, 20},
        {"target a fifth above", 20, 0, 27, 20},
    };
    for (const auto& c : cases) {
        state.target_note = c.target;
        // Silence before the pluck, so that the first frames hold its onset.
        std::vector<int16_t> sound(kFrameSamples, 0);
        auto plucked = Sound(KeyHz(c.string_key) * std::pow(2.0, c.cents / 1200), string_partials, 1.5, 2 * 44100);
        sound.insert(sound.end(), plucked.begin(), plucked.end());
        int frames = 0;
        for (int end = kFrameSamples + 1024; end <= static_cast<int>(sound.size()); end += 1024) {
            DetectTuner(state, spectra, tuner, &sound[end - kFrameSamples]);
            if (end - kFrameSamples < 0.1 * 44100) continue;
            ++frames;
            ASSERT_EQ(state.detected_note, c.shown) << c.what << " at " << end / 44100.0 << " s";
            // Below F2 the needle measures the whole frame, which holds the pluck for a while.
            ASSERT_NEAR(state.cents_offset, c.string_key == c.shown ? c.cents : 0, 3) << c.what;
        }
        EXPECT_GT(frames, 75) << c.what;
    }
}

TEST_F(DetectorsTest, ReferencePitchMovesKeysCentsAndBands) {
    state.reference_a4_hz = 442;
    spectra.BuildTables(22050, 442);
    auto a442 = Sound(442.0, {0.5});
    DetectTuner(state, spectra, tuner, a442.data());
    EXPECT_TRUE(DetectTuner(state, spectra, tuner, a442.data()));
    EXPECT_EQ(state.detected_note, 49);
    EXPECT_EQ(state.cents_offset, 0);
    EXPECT_EQ(state.display_frequency, 442);
    auto a440 = Sound(440.0, {0.5});
    DetectTuner(state, spectra, tuner, a440.data());
    EXPECT_EQ(state.cents_offset, -8) << "440 Hz is 7.85 cents flat of 442";
    EXPECT_TRUE(DetectNoteSpectrum(state, spectra, picture, a442.data()));
    EXPECT_EQ(state.detected_note, 49);
    EXPECT_EQ(state.display_frequency, 442);
    // The bands move with the reference: 82 Hz lies in E2's band at 440 and in F2's at 430.
    auto between = Sound(82.0, {0.5});
    spectra.BuildTables(22050, 430);
    DetectNoteSpectrum(state, spectra, picture, between.data());
    EXPECT_EQ(state.detected_note, 21);
    spectra.BuildTables(22050);
    DetectNoteSpectrum(state, spectra, picture, between.data());
    EXPECT_EQ(state.detected_note, 20);
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

TEST(KeyTableFrequency, FourPlacesAroundTheReferencePitch) {
    EXPECT_DOUBLE_EQ(KeyTableFrequency(40, 440), 261.6256);
    EXPECT_DOUBLE_EQ(KeyTableFrequency(88, 440), 4186.009);
    EXPECT_DOUBLE_EQ(KeyTableFrequency(61, 450), 900.0);
}

}  // namespace
