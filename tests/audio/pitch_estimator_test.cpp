// The tuner's pitch measurement on synthetic frames: pure, noisy and harmonic-rich tones across the
// keyboard and the sample rates, and the frames that must give no reading.
#include "audio/pitch_estimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "app/math_constants.h"

namespace {

constexpr int kSamples = 8192;
constexpr int kRate = 44100;

struct Partial {
    double hz;
    double amplitude;          // fraction of full scale
    double decay_seconds = 0;  // 0: steady; otherwise the time to fall to 1/e, as a plucked string does
};

// Partials at random phases plus white noise of the given rms (fraction of full scale), as int16.
std::vector<int16_t> Frame(const std::vector<Partial>& partials, double noise_rms = 0, int rate = kRate) {
    static std::mt19937 random(1);
    std::uniform_real_distribution<double> phase(0, 2 * kPi);
    std::normal_distribution<double> noise(0, 1);
    std::vector<double> sum(kSamples, 0.0);
    for (const Partial& p : partials) {
        const double start = phase(random);
        for (int m = 0; m < kSamples; ++m) {
            const double envelope = p.decay_seconds > 0 ? std::exp(-m / (p.decay_seconds * rate)) : 1;
            sum[m] += p.amplitude * envelope * std::sin(2 * kPi * p.hz * m / rate + start);
        }
    }
    std::vector<int16_t> frame(kSamples);
    for (int m = 0; m < kSamples; ++m) {
        const double v = sum[m] + noise_rms * noise(random);
        frame[m] = static_cast<int16_t>(std::lround(std::clamp(v * 32767, -32768.0, 32767.0)));
    }
    return frame;
}

double Detuned(int key, double cents) {
    return KeyFrequency(key) * std::pow(2.0, cents / 1200);
}

double CentsBetween(double hz, double reference) {
    return 1200 * std::log2(hz / reference);
}

// Low notes hold few periods in the frame, so their readings are allowed more spread.
double Tolerance(int key) {
    return key < 13 ? 3.0 : 1.0;
}

// Measures near `key` and checks the reading lies within `tolerance` cents of `hz`.
void ExpectReading(const std::vector<int16_t>& frame, int rate, int key, double hz, double tolerance) {
    double measured = 0;
    ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, rate, key, measured));
    EXPECT_NEAR(CentsBetween(measured, hz), 0, tolerance);
}

TEST(CentsFromKey, RoundsToWholeCentsAndRefusesBeyondHalfASemitone) {
    // The ends of the keyboard and A4 pin KeyFrequency to equal temperament.
    const struct {
        double hz;
        int key, cents;
    } cases[] = {
        // clang-format off
        {440.0, 49, 0}, {27.5, 1, 0}, {4186.009, 88, 0},
        {Detuned(49, -12.3), 49, -12}, {Detuned(20, 7.6), 20, 8},
        {Detuned(49, 50.4), 49, 50}, {Detuned(49, 50.6), 49, kNoCentsReading},
        {Detuned(49, -50.4), 49, -50}, {Detuned(49, -50.6), 49, kNoCentsReading},
        {440.0, 48, kNoCentsReading}, {0.0, 49, kNoCentsReading}, {-440.0, 49, kNoCentsReading},
        {NAN, 49, kNoCentsReading}, {INFINITY, 49, kNoCentsReading},
        {440.0, 0, kNoCentsReading}, {440.0, 89, kNoCentsReading},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(CentsFromKey(c.hz, c.key), c.cents) << c.hz << " Hz, key " << c.key;
}

// Every third key from A0 to C8 takes in both sides of the A1 boundary; the detunes rotate so that
// each reaches every part of the keyboard.
TEST(MeasurePitchNearKey, PureAndNoisyTonesAcrossTheKeyboard) {
    const double kDetunes[] = {-45, -15, 0, 30, 45};
    for (int key = 1, n = 0; key <= 88; key += 3, ++n) {
        const double detune = kDetunes[n % 5];
        const double hz = Detuned(key, detune);
        SCOPED_TRACE(testing::Message() << "key " << key << ", " << detune << " cents");
        auto pure = Frame({{hz, 0.5}});
        ExpectReading(pure, kRate, key, hz, Tolerance(key));
        EXPECT_NEAR(MeasureCentsNearKey(pure.data(), kSamples, kRate, key), detune, Tolerance(key) + 0.5);
        if (key >= 13) {
            // White noise 20 dB below the tone's power of 0.5^2 / 2.
            ExpectReading(Frame({{hz, 0.5}}, 0.5 / std::sqrt(200.0)), kRate, key, hz, 2.0);
        }
    }
}

TEST(MeasurePitchNearKey, HarmonicRichNotesReadAtTheirFundamental) {
    const struct {
        const char* name;
        std::vector<double> weights;  // of harmonics 1, 2, ...
        double decay_seconds;         // of the fundamental; harmonic h dies h times as fast
    } notes[] = {
        {"sawtooth", {1, 1 / 2., 1 / 3., 1 / 4., 1 / 5., 1 / 6., 1 / 7., 1 / 8., 1 / 9., 1 / 10.}, 0},
        // The second harmonic twice as strong as the fundamental, as on a plucked guitar string.
        {"plucked string", {1, 2, 1, 0.5, 0.3, 0.2}, 0.4},
    };
    for (const auto& note : notes) {
        for (int key = 1; key <= 88; key += 4) {
            const double f0 = Detuned(key, key % 8 ? 25 : -40);
            SCOPED_TRACE(testing::Message() << note.name << ", key " << key);
            std::vector<Partial> partials;  // peaks stay below 0.8 of full scale
            for (size_t h = 1; h <= note.weights.size() && f0 * h < kRate / 2.0; ++h) {
                partials.push_back({f0 * h, 0.15 * note.weights[h - 1], note.decay_seconds / h});
            }
            ExpectReading(Frame(partials), kRate, key, f0, Tolerance(key));
        }
    }
}

TEST(MeasurePitchNearKey, NeighbouringNotesKeepTheirOwnReadings) {
    for (int low : {13, 49, 76}) {  // a fifth apart
        SCOPED_TRACE(testing::Message() << "fifth from key " << low);
        auto frame = Frame({{Detuned(low, -20), 0.3}, {Detuned(low + 7, 35), 0.3}});
        ExpectReading(frame, kRate, low, Detuned(low, -20), 1.0);
        ExpectReading(frame, kRate, low + 7, Detuned(low + 7, 35), 1.0);
    }
    // What a tuner held on A4 sees while other strings ring: A4 far below E4 and C5.
    auto frame = Frame({{KeyFrequency(44), 0.3}, {Detuned(49, 12), 0.08}, {KeyFrequency(52), 0.5}});
    ExpectReading(frame, kRate, 49, Detuned(49, 12), 1.0);
}

TEST(MeasurePitchNearKey, FollowsTheSampleRate) {
    const struct {
        int rate, key;
        double detune;
    } cases[] = {{8000, 1, -35}, {8000, 76, 20}, {11025, 88, -35}, {22050, 30, 20}, {32000, 61, -35}, {48000, 88, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, key " << c.key);
        const double hz = Detuned(c.key, c.detune);
        ExpectReading(Frame({{hz, 0.5}}, 0, c.rate), c.rate, c.key, hz, Tolerance(c.key));
    }
}

TEST(MeasurePitchNearKey, NoiseAloneGivesNoReading) {
    for (double rms : {0.0005, 0.05, 0.3}) {
        auto frame = Frame({}, rms);
        for (int key = 1; key <= 88; ++key) {
            double measured = -1;
            EXPECT_FALSE(MeasurePitchNearKey(frame.data(), kSamples, kRate, key, measured))
                << "rms " << rms << ", key " << key << ": " << measured << " Hz";
        }
    }
}

TEST(MeasurePitchNearKey, NoReadingWithoutAToneNearTheKeyOrValidInput) {
    const auto a4 = Frame({{440.0, 0.5}});
    const auto a0 = Frame({{27.5, 0.5}});
    const std::vector<int16_t> silence(kSamples, 0), offset(kSamples, 6554);  // a fifth of full scale
    const auto above = Frame({{Detuned(49, 70), 0.5}}), below = Frame({{Detuned(49, -70), 0.5}});
    const auto octave_above = Frame({{KeyFrequency(61), 0.5}}), octave_below = Frame({{KeyFrequency(37), 0.5}});
    // Above or too close to half the rate, the key's probe would read an alias.
    const auto c8 = Frame({{KeyFrequency(88), 0.5}}, 0, 8000), b7 = Frame({{KeyFrequency(87), 0.5}}, 0, 8000);
    const struct {
        const char* name;
        const int16_t* frame;
        int samples, rate, key;
    } cases[] = {
        {"silence", silence.data(), kSamples, kRate, 49},
        {"offset only", offset.data(), kSamples, kRate, 20},
        {"70 cents above", above.data(), kSamples, kRate, 49},
        {"70 cents below", below.data(), kSamples, kRate, 49},
        {"an octave above", octave_above.data(), kSamples, kRate, 49},
        {"an octave below", octave_below.data(), kSamples, kRate, 49},
        {"C8 at 8000 Hz", c8.data(), kSamples, 8000, 88},
        {"B7 at 8000 Hz", b7.data(), kSamples, 8000, 87},
        {"no frame", nullptr, kSamples, kRate, 49},
        {"empty frame", a4.data(), 0, kRate, 49},
        {"no rate", a4.data(), kSamples, 0, 49},
        {"key 0", a4.data(), kSamples, kRate, 0},
        {"key 89", a4.data(), kSamples, kRate, 89},
        {"too few periods of A0", a0.data(), 4096, kRate, 1},
    };
    for (const auto& c : cases) {
        double measured = -1;
        EXPECT_FALSE(MeasurePitchNearKey(c.frame, c.samples, c.rate, c.key, measured)) << c.name;
        EXPECT_EQ(measured, -1) << c.name;
        EXPECT_EQ(MeasureCentsNearKey(c.frame, c.samples, c.rate, c.key), kNoCentsReading) << c.name;
    }
    double measured = 0;
    EXPECT_TRUE(MeasurePitchNearKey(a4.data(), 4096, kRate, 49, measured)) << "a shorter frame still serves A4";
    EXPECT_NEAR(CentsBetween(measured, 440.0), 0, 1.0);
}

}  // namespace
