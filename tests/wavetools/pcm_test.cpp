// PCM decoding of every sample width, and the resampler's pass band and alias rejection.
#include "wavetools/pcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/math_constants.h"

namespace {

TEST(Pcm, DecodesEverySampleWidth) {
    const struct {
        int bits;
        std::vector<std::uint8_t> bytes;
        std::int16_t sample16;
        float sampleFloat;
    } cases[] = {
        {8, {0xFF}, 127 * 256, 127 / 128.0f},
        {8, {0x00}, -32768, -1.0f},
        {16, {0x00, 0x80}, -32768, -1.0f},
        {16, {0x34, 0x12}, 0x1234, 0x1234 / 32768.0f},
        {24, {0x80, 0x34, 0x12}, 0x1234, 0x123480 / 8388608.0f},
        {24, {0xFF, 0xFF, 0xFF}, -1, -1 / 8388608.0f},
        {32, {0x00, 0x00, 0x00, 0x80}, -32768, -1.0f},
        {32, {0x00, 0x00, 0x34, 0x12}, 0x1234, 0x12340000 / 2147483648.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PcmSample16(c.bytes.data(), c.bits), c.sample16) << c.bits;
        EXPECT_FLOAT_EQ(PcmSampleFloat(c.bytes.data(), c.bits), c.sampleFloat) << c.bits;
    }
    // Stereo 16-bit to mono averages the sides; a trailing partial frame is not a sample.
    const std::uint8_t stereo[] = {0x00, 0x10, 0x00, 0x30, 0x00, 0xF0, 0x00, 0xF0, 0x01};
    EXPECT_EQ(DecodePcmMono16(stereo, sizeof stereo, {44100, 2, 16}), (std::vector<std::int16_t>{0x2000, -0x1000}));
    EXPECT_TRUE(DecodePcm(stereo, sizeof stereo, {44100, 2, 12}).empty());
}

// Amplitude of the frequency hz in the middle half of a mono signal, by correlation.
double AmplitudeAt(const std::vector<float>& x, int rate, double hz) {
    const std::size_t from = x.size() / 4;
    const std::size_t to = x.size() * 3 / 4;
    double re = 0;
    double im = 0;
    for (std::size_t n = from; n < to; ++n) {
        re += x[n] * std::cos(2 * kPi * hz * n / rate);
        im += x[n] * std::sin(2 * kPi * hz * n / rate);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(to - from);
}

TEST(Pcm, ResamplesWithoutAliases) {
    const struct {
        int from, to;
        double hz;       // input sine, amplitude 1
        double kept;     // its amplitude after the change
        double aliasHz;  // where a poorly filtered change would put an alias or image
    } cases[] = {
        {48000, 44100, 1000, 1.0, 0},
        {48000, 44100, 23000, 0.0, 44100 - 23000},  // above the new Nyquist frequency
        {22050, 44100, 8000, 1.0, 22050 - 8000},    // the image of an upward change
    };
    for (const auto& c : cases) {
        std::vector<float> in(static_cast<std::size_t>(c.from / 5));
        for (std::size_t n = 0; n < in.size(); ++n) in[n] = static_cast<float>(std::sin(2 * kPi * c.hz * n / c.from));
        const std::vector<float> out = ResamplePcm(in, 1, c.from, c.to);
        EXPECT_EQ(out.size(), in.size() * c.to / c.from);
        if (c.hz < c.to / 2) {
            EXPECT_NEAR(AmplitudeAt(out, c.to, c.hz), c.kept, 0.01) << c.hz;
        }
        if (c.aliasHz > 0) {
            EXPECT_LT(AmplitudeAt(out, c.to, c.aliasHz), 1e-3) << c.hz;
        }
    }
}

TEST(Pcm, ConvertsClickFilesToSixteenBitStereo) {
    std::vector<std::uint8_t> mono8(2205);
    for (std::size_t n = 0; n < mono8.size(); ++n) {
        mono8[n] = static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(2 * kPi * 441.0 * n / 22050)));
    }
    const std::vector<std::int16_t> out = ConvertPcm16(mono8.data(), mono8.size(), {22050, 1, 8}, 44100, 2);
    ASSERT_EQ(out.size(), 2 * 4410u);
    for (std::size_t f = 0; f < 4410; ++f) ASSERT_EQ(out[2 * f], out[2 * f + 1]);
    EXPECT_NEAR(out[2 * 25], 100 * 256, 300);  // a quarter period of 441 Hz at 44,100 Hz: the crest
    EXPECT_TRUE(ConvertPcm16(mono8.data(), 0, {22050, 1, 8}, 44100, 2).empty());
}

}  // namespace
