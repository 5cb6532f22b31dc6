// Tone synthesis as a signal: byte counts, whole periods, the square wave's sign rule, the 6.28
// phase constant, stereo, and the dialog's length rules.
#include "wavetools/tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "wavetools/wave_file.h"

namespace {

struct OwnedTone {
    WaveSource s;
    ~OwnedTone() { ResetWaveSource(s); }
    int Sample(std::uint32_t frame, int channel = 0) const {
        const std::uint32_t at = (frame * static_cast<std::uint32_t>(s.channels) + channel) * 2;
        return static_cast<std::int16_t>(s.buffer[at] | s.buffer[at + 1] << 8);
    }
};

ToneShape Shape(double hz, double ms, int wave = kToneSine, int amplitude = 32000, bool stereo = false) {
    ToneShape shape;
    shape.frequency = hz;
    shape.length_ms = ms;
    shape.wave = wave;
    shape.amplitude = amplitude;
    shape.stereo = stereo;
    return shape;
}

TEST(Tone, ByteCounts) {
    const struct {
        double hz, ms;
        bool stereo;
        std::uint64_t low, high;  // allowing for the rounding of P x frequency
    } cases[] = {
        {1000, 1000, false, 88198, 88200},
        {441, 1000, false, 88200, 88200},
        {440, 500, false, 44098, 44100},
        {1000, 5, false, 440, 440},
        {1000, 1015, false, 89522, 89522},
        {1000, 0, false, 0, 0},
        {0, 1000, false, 0, 0},
        {NAN, 1000, false, 0, 0},
        {440, -5, false, 0, 0},
    };
    for (const auto& c : cases) {
        const std::uint64_t bytes = ToneByteCount(Shape(c.hz, c.ms, kToneSine, 1000, c.stereo));
        EXPECT_TRUE(bytes >= c.low && bytes <= c.high) << c.hz << " Hz " << c.ms << " ms: " << bytes;
        EXPECT_EQ(bytes % (c.stereo ? 4 : 2), 0u) << "whole sample frames";
        OwnedTone tone;
        EXPECT_EQ(MakeTone(Shape(c.hz, c.ms, kToneSine, 1000, c.stereo), tone.s), bytes);
        EXPECT_EQ(tone.s.bytesToQueue, bytes);
    }
}

// Only whole periods are synthesised: trunc(N x P) samples, and silence after them.
TEST(Tone, WholePeriodsThenSilence) {
    const struct {
        double hz, ms;
        std::uint32_t frames;
    } cases[] = {
        {1000, 1000, 44100},  // 1000 periods of 44 or 45 samples
        {1000, 5, 220},       // 441 bytes: 5 periods of 44.1 samples
        {3, 500, 14700},      // 1.5 periods: only the whole one is synthesised
        {0.5, 1000, 0},       // less than one period: all silence
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.hz << " Hz " << c.ms << " ms");
        OwnedTone tone;
        const std::uint32_t bytes = MakeTone(Shape(c.hz, c.ms, kToneSquare, 1000), tone.s);
        // A square wave is never 0, so the first zero sample is where synthesis stopped.
        std::uint32_t frames = 0;
        while (frames * 2 + 1 < bytes && tone.Sample(frames) != 0) ++frames;
        EXPECT_EQ(frames, c.frames);
        for (std::uint32_t i = frames * 2; i < bytes; ++i) ASSERT_EQ(tone.s.buffer[i], 0) << "byte " << i;
    }
}

TEST(Tone, SquareWaveFollowsTheSineSign) {
    OwnedTone tone;
    ASSERT_GT(MakeTone(Shape(441, 100, kToneSquare, 12000), tone.s), 0u);  // P = 100
    EXPECT_EQ(tone.Sample(0), 12000) << "sin 0 counts as non-negative";
    EXPECT_EQ(tone.Sample(49), 12000);
    EXPECT_EQ(tone.Sample(51), -12000);
    // 6.28 falls short of 2 pi: at sample 100 the sine is -0.0032, so trunc(12000 x s) = -38.
    EXPECT_EQ(tone.Sample(100), -12000);
    // Where |a x s| < 1 the truncation gives 0, which counts as positive.
    OwnedTone quiet;
    ASSERT_GT(MakeTone(Shape(441, 100, kToneSquare, 100), quiet.s), 0u);
    EXPECT_EQ(quiet.Sample(100), 100);
}

TEST(Tone, SineUsesThe628Constant) {
    OwnedTone tone;
    ASSERT_GT(MakeTone(Shape(441, 1000, kToneSine, 32000), tone.s), 0u);  // P = 100
    EXPECT_EQ(tone.Sample(25), 31999) << "sin(1.57) x 32000; 2 pi would give 32000";
    // The phase runs on across periods, so it drifts: 0.9995 x 441 = 440.77 cycles per second.
    int upward = 0;
    for (std::uint32_t i = 1; i < 44100; ++i) upward += tone.Sample(i - 1) < 0 && tone.Sample(i) >= 0;
    EXPECT_EQ(upward, 440);
}

TEST(Tone, StereoRepeatsEverySample) {
    OwnedTone mono, stereo;
    ASSERT_GT(MakeTone(Shape(1000, 50, kToneSine, 20000, false), mono.s), 0u);
    ASSERT_GT(MakeTone(Shape(1000, 50, kToneSine, 20000, true), stereo.s), 0u);
    EXPECT_EQ(std::make_tuple(stereo.s.channels, stereo.s.sampleRate, stereo.s.bitsPerSample, stereo.s.readPos),
              std::make_tuple(2, 44100, 16, stereo.s.buffer));
    for (std::uint32_t i = 0; i < 2200; ++i) {
        ASSERT_EQ(stereo.Sample(i, 0), mono.Sample(i));
        ASSERT_EQ(stereo.Sample(i, 1), mono.Sample(i));
    }
}

TEST(Tone, AmplitudeOutsideTheSliderPlaysAtHalfScale) {
    const struct {
        int setting, used;
    } cases[] = {{0, 16000}, {-5, 16000}, {32001, 16000}, {1, 1}, {32000, 32000}, {9000, 9000}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToneAmplitude(c.setting), c.used) << c.setting;
        OwnedTone tone;
        ASSERT_GT(MakeTone(Shape(441, 10, kToneSquare, c.setting), tone.s), 0u);
        EXPECT_EQ(tone.Sample(0), c.used);
    }
}

TEST(Tone, TooLargeForMemoryIsRefusedBeforeAllocating) {
    OwnedTone tone;
    const ToneShape huge = Shape(440, 4.0e9, kToneSine, 1000, true);
    EXPECT_GT(ToneByteCount(huge), kMaxToneBytes);
    EXPECT_EQ(MakeTone(huge, tone.s), 0u);
    EXPECT_EQ(tone.s.buffer, nullptr);
}

TEST(Tone, DialogLengthRules) {
    EXPECT_EQ(ToneLengthFromFields(2, 500), 2500);
    EXPECT_EQ(ToneLengthFromFields(4294967295u, 999), 4294967295999LL);
    const struct {
        std::int64_t typed;
        int kept;
    } cases[] = {{700000, 1000}, {600001, 1000}, {600000, 600000}, {10, 10},
                 {9, 1000},      {0, 1000},      {2500, 2500},     {4294967295999LL, 1000}};
    for (const auto& c : cases) EXPECT_EQ(ConfirmedToneLength(c.typed), c.kept) << c.typed;
}

}  // namespace
