// The tuner's pitch measurement on synthetic frames: pure, noisy and harmonic-rich tones across the
// keyboard and the sample rates, and the frames that must give no reading.
#include "audio/pitch_estimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 8192;
constexpr int kRate = 44100;

struct Partial {
    double hz;
    double amplitude;          // fraction of full scale
    double decay_seconds = 0;  // 0: steady; otherwise the time to fall to 1/e, as a plucked string does
};

// Partials at random phases plus white noise of the given rms (fraction of full scale), as int16.
std::vector<int16_t> Frame(const std::vector<Partial>& partials, std::mt19937& random, double noise_rms = 0,
                           int rate = kRate, double offset = 0) {
    std::uniform_real_distribution<double> phase(0, 2 * kPi);
    std::normal_distribution<double> noise(0, noise_rms > 0 ? noise_rms : 1);
    std::vector<double> sum(kSamples, offset);
    for (const Partial& p : partials) {
        const double start = phase(random);
        for (int m = 0; m < kSamples; ++m) {
            double envelope = p.decay_seconds > 0 ? std::exp(-m / (p.decay_seconds * rate)) : 1;
            sum[m] += p.amplitude * envelope * std::sin(2 * kPi * p.hz * m / rate + start);
        }
    }
    std::vector<int16_t> frame(kSamples);
    for (int m = 0; m < kSamples; ++m) {
        double v = sum[m] + (noise_rms > 0 ? noise_rms * noise(random) : 0);
        frame[m] = static_cast<int16_t>(std::lround(std::clamp(v * 32767, -32768.0, 32767.0)));
    }
    return frame;
}

// A note of fundamental f0: harmonic h has relative strength weights[h - 1]; harmonics at or above
// half the rate are left out, and the whole is scaled to peak at most `peak`.
std::vector<Partial> Note(double f0, const std::vector<double>& weights, double peak,
                          double decay_seconds = 0, int rate = kRate) {
    double total = 0;
    for (double w : weights) total += w;
    std::vector<Partial> partials;
    for (size_t h = 1; h <= weights.size(); ++h) {
        if (f0 * h >= rate / 2.0 || weights[h - 1] == 0) continue;
        // Higher harmonics of a plucked string die away faster.
        partials.push_back({f0 * h, peak * weights[h - 1] / total, decay_seconds / h});
    }
    return partials;
}

// Harmonic h at strength 1/h, as in a sawtooth, or only the odd ones, as in a square wave.
std::vector<double> Series(int harmonics, bool odd_only) {
    std::vector<double> weights;
    for (int h = 1; h <= harmonics; ++h) weights.push_back(odd_only && h % 2 == 0 ? 0 : 1.0 / h);
    return weights;
}

double Power(const std::vector<Partial>& partials) {
    double p = 0;
    for (const Partial& q : partials) p += q.amplitude * q.amplitude / 2;
    return p;
}

double Detuned(int key, double cents) {
    return KeyFrequency(key) * std::pow(2.0, cents / 1200);
}
double CentsBetween(double hz, double reference) {
    return 1200 * std::log2(hz / reference);
}

const double kDetunes[] = {-45, -30, -15, 0, 15, 30, 45};

// Low notes hold few periods in the frame, so their readings are allowed more spread.
double Tolerance(int key) {
    return key < 13 ? 3.0 : 1.0;
}

TEST(KeyFrequency, EqualTemperamentFromA440) {
    const struct {
        int key;
        double hz;
    } cases[] = {{1, 27.5}, {13, 55.0}, {40, 261.6256}, {49, 440.0}, {52, 523.2511}, {88, 4186.009}};
    for (const auto& c : cases) EXPECT_NEAR(KeyFrequency(c.key), c.hz, 1e-4) << c.key;
}

TEST(CentsFromKey, RoundsToWholeCentsAndRefusesBeyondHalfASemitone) {
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double hz;
        int key;
        int cents;
    } cases[] = {
        {440.0, 49, 0},
        {27.5, 1, 0},
        {4186.009, 88, 0},
        {Detuned(49, -12.3), 49, -12},
        {Detuned(20, 7.6), 20, 8},
        {Detuned(49, 49.6), 49, 50},
        {Detuned(49, 50.4), 49, 50},
        {Detuned(49, 50.6), 49, kNoCentsReading},
        {Detuned(49, -50.4), 49, -50},
        {Detuned(49, -50.6), 49, kNoCentsReading},
        {440.0, 48, kNoCentsReading},  // a whole semitone above key 48
        {0.0, 49, kNoCentsReading},
        {-440.0, 49, kNoCentsReading},
        {kNan, 49, kNoCentsReading},
        {kInf, 49, kNoCentsReading},
        {440.0, 0, kNoCentsReading},
        {440.0, 89, kNoCentsReading},
    };
    for (const auto& c : cases) EXPECT_EQ(CentsFromKey(c.hz, c.key), c.cents) << c.hz << " Hz, key " << c.key;
}

TEST(MeasurePitchNearKey, PureTonesAcrossTheKeyboard) {
    std::mt19937 random(1);
    for (int key = 1; key <= 88; ++key) {
        for (double detune : kDetunes) {
            const double hz = Detuned(key, detune);
            auto frame = Frame({{hz, 0.5}}, random);
            double measured = 0;
            ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, key, measured))
                << key << " " << detune;
            EXPECT_NEAR(CentsBetween(measured, hz), 0, Tolerance(key)) << "key " << key << ", " << detune;
            EXPECT_NEAR(CentsFromKey(measured, key), detune, Tolerance(key))
                << "key " << key << ", " << detune;
        }
    }
}

TEST(MeasurePitchNearKey, TonesInNoiseTwentyDecibelsDown) {
    std::mt19937 random(2);
    for (int key = 13; key <= 88; ++key) {
        for (double detune : kDetunes) {
            const double hz = Detuned(key, detune);
            std::vector<Partial> tone = {{hz, 0.5}};
            auto frame = Frame(tone, random, std::sqrt(Power(tone) / 100));
            double measured = 0;
            ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, key, measured))
                << key << " " << detune;
            EXPECT_NEAR(CentsBetween(measured, hz), 0, 2.0) << "key " << key << ", " << detune;
        }
    }
}

TEST(MeasurePitchNearKey, HarmonicRichNotesReadAtTheirFundamental) {
    const struct {
        const char* name;
        std::vector<double> weights;
        double decay_seconds;
    } notes[] = {
        {"sawtooth", Series(20, false), 0},
        {"square", Series(11, true), 0},
        // The second harmonic twice as strong as the fundamental, as on a plucked guitar string.
        {"plucked string", {1, 2, 1, 0.5, 0.3, 0.2}, 0.4},
    };
    std::mt19937 random(3);
    for (const auto& note : notes) {
        for (int key = 1; key <= 88; key += 3) {
            for (double detune : {-40.0, 0.0, 25.0}) {
                const double f0 = Detuned(key, detune);
                auto frame = Frame(Note(f0, note.weights, 0.8, note.decay_seconds), random);
                double measured = 0;
                ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, key, measured))
                    << note.name << " key " << key << " " << detune;
                EXPECT_NEAR(CentsBetween(measured, f0), 0, Tolerance(key)) << note.name << " key " << key;
            }
        }
    }
}

TEST(MeasurePitchNearKey, TwoNotesAFifthApartKeepTheirSeparation) {
    std::mt19937 random(4);
    for (int low : {13, 25, 40, 49, 64, 76}) {
        const int high = low + 7;
        const double low_hz = Detuned(low, -20);
        const double high_hz = Detuned(high, 35);
        auto frame = Frame({{low_hz, 0.3}, {high_hz, 0.3}}, random);
        double low_measured = 0;
        double high_measured = 0;
        ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, low, low_measured)) << low;
        ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, high, high_measured)) << high;
        EXPECT_NEAR(CentsBetween(low_measured, low_hz), 0, 1.0) << low;
        EXPECT_NEAR(CentsBetween(high_measured, high_hz), 0, 1.0) << high;
    }
}

TEST(MeasurePitchNearKey, QuietPartialBesideLoudNotes) {
    // What a tuner held on its target sees while other strings ring: A4 far below E4 and C5.
    std::mt19937 random(5);
    const double target = Detuned(49, 12);
    auto frame = Frame({{KeyFrequency(44), 0.3}, {target, 0.08}, {KeyFrequency(52), 0.5}}, random);
    double measured = 0;
    ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, kRate, 49, measured));
    EXPECT_NEAR(CentsBetween(measured, target), 0, 1.0);
}

TEST(MeasurePitchNearKey, FollowsTheSampleRate) {
    const struct {
        int rate;
        int key;
    } cases[] = {{8000, 1},   {8000, 13}, {8000, 49},  {8000, 76},  {11025, 1},  {11025, 49},
                 {11025, 88}, {22050, 1}, {22050, 30}, {22050, 88}, {32000, 61}, {48000, 88}};
    std::mt19937 random(6);
    for (const auto& c : cases) {
        for (double detune : {-35.0, 20.0}) {
            const double hz = Detuned(c.key, detune);
            auto frame = Frame({{hz, 0.5}}, random, 0, c.rate);
            double measured = 0;
            ASSERT_TRUE(MeasurePitchNearKey(frame.data(), kSamples, c.rate, c.key, measured))
                << c.rate << " " << c.key;
            EXPECT_NEAR(CentsBetween(measured, hz), 0, Tolerance(c.key)) << c.rate << " Hz, key " << c.key;
        }
    }
}

TEST(MeasurePitchNearKey, KeysAboveHalfTheRateGiveNoReading) {
    // A tone above half the rate folds back below it, where its mirror image sits on the key's own
    // probe frequency; a reading there would be an alias.
    const struct {
        int rate;
        int key;
    } cases[] = {{8000, 88}, {8000, 87}, {8000, 86}};
    std::mt19937 random(7);
    for (const auto& c : cases) {
        auto frame = Frame({{KeyFrequency(c.key), 0.5}}, random, 0, c.rate);
        double measured = -1;
        EXPECT_FALSE(MeasurePitchNearKey(frame.data(), kSamples, c.rate, c.key, measured))
            << c.rate << " " << c.key;
        EXPECT_EQ(measured, -1);
    }
}

TEST(MeasurePitchNearKey, NoReadingWithoutAToneNearTheKey) {
    const struct {
        const char* name;
        std::vector<Partial> partials;
        double noise_rms;
        double offset;
        int key;
    } cases[] = {
        {"silence", {}, 0, 0, 49},
        {"silence", {}, 0, 0, 1},
        {"offset only", {}, 0, 0.2, 20},
        {"70 cents above", {{Detuned(49, 70), 0.5}}, 0, 0, 49},
        {"70 cents below", {{Detuned(49, -70), 0.5}}, 0, 0, 49},
        {"a semitone above", {{KeyFrequency(50), 0.5}}, 0, 0, 49},
        {"a minor third below", {{KeyFrequency(46), 0.5}}, 0, 0, 49},
        {"a fifth above", {{KeyFrequency(27), 0.5}}, 0, 0, 20},
        {"an octave above", {{KeyFrequency(61), 0.5}}, 0, 0, 49},
        {"an octave below", {{KeyFrequency(37), 0.5}}, 0, 0, 49},
        {"two octaves below", {{KeyFrequency(64), 0.5}}, 0, 0, 88},
        {"deep note, high key", {{KeyFrequency(5), 0.5}}, 0, 0, 60},
    };
    std::mt19937 random(8);
    for (const auto& c : cases) {
        auto frame = Frame(c.partials, random, c.noise_rms, kRate, c.offset);
        double measured = -1;
        EXPECT_FALSE(MeasurePitchNearKey(frame.data(), kSamples, kRate, c.key, measured))
            << c.name << ", key " << c.key;
        EXPECT_EQ(measured, -1) << c.name;
        EXPECT_EQ(MeasureCentsNearKey(frame.data(), kSamples, kRate, c.key), kNoCentsReading) << c.name;
    }
}

TEST(MeasurePitchNearKey, NoiseAloneGivesNoReading) {
    std::mt19937 random(11);
    for (double rms : {0.0005, 0.05, 0.3}) {
        for (int frame_number = 0; frame_number < 3; ++frame_number) {
            auto frame = Frame({}, random, rms);
            for (int key = 1; key <= 88; ++key) {
                double measured = -1;
                EXPECT_FALSE(MeasurePitchNearKey(frame.data(), kSamples, kRate, key, measured))
                    << "rms " << rms << ", key " << key << ": " << measured << " Hz";
            }
        }
    }
}

TEST(MeasureCentsNearKey, ReadsTheDeviationOrNothing) {
    const struct {
        double cents;  // of the tone from key 40
        int reading;
    } cases[] = {{0, 0}, {-23, -23}, {37, 37}, {49, 49}, {55, kNoCentsReading}, {-56, kNoCentsReading}};
    std::mt19937 random(9);
    for (const auto& c : cases) {
        auto frame = Frame({{Detuned(40, c.cents), 0.5}}, random);
        EXPECT_EQ(MeasureCentsNearKey(frame.data(), kSamples, kRate, 40), c.reading) << c.cents;
    }
}

TEST(MeasurePitchNearKey, RefusesWhatItCannotMeasure) {
    std::mt19937 random(10);
    auto a4 = Frame({{440.0, 0.5}}, random);
    auto a0 = Frame({{27.5, 0.5}}, random);
    const struct {
        const char* name;
        const int16_t* frame;
        int samples;
        int rate;
        int key;
    } cases[] = {
        {"no frame", nullptr, kSamples, kRate, 49}, {"empty frame", a4.data(), 0, kRate, 49},
        {"no rate", a4.data(), kSamples, 0, 49},    {"key 0", a4.data(), kSamples, kRate, 0},
        {"key 89", a4.data(), kSamples, kRate, 89}, {"too few periods of A0", a0.data(), 4096, kRate, 1},
    };
    for (const auto& c : cases) {
        double measured = -1;
        EXPECT_FALSE(MeasurePitchNearKey(c.frame, c.samples, c.rate, c.key, measured)) << c.name;
        EXPECT_EQ(measured, -1) << c.name;
    }
    double measured = 0;
    EXPECT_TRUE(MeasurePitchNearKey(a4.data(), 4096, kRate, 49, measured))
        << "a shorter frame still serves A4";
    EXPECT_NEAR(CentsBetween(measured, 440.0), 0, 1.0);
}

}  // namespace
