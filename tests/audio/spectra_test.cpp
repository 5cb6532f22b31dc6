// Band edges, key and column levels of the analysis, checked with tones and silence.
#include "audio/spectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "audio/analysis_tables.h"

namespace {

// A steady tone starting at its crest; the sine transform depends on the phase, and this one puts a
// 440 Hz peak squarely on index 41 of the short transform at 44100 Hz.
std::vector<int16_t> Tone(double hz, double amplitude, int sampling_hz) {
    std::vector<int16_t> frame(kFrameSamples);
    for (int m = 0; m < kFrameSamples; ++m) {
        const double phase = 2.0 * 3.14159265358979323846 * hz * m / sampling_hz;
        frame[m] = static_cast<int16_t>(std::lround(amplitude * std::cos(phase)));
    }
    return frame;
}

class SpectraTest : public ::testing::Test {
protected:
    void Analyse(const std::vector<int16_t>& frame, int sampling_hz) {
        s->BuildTables(sampling_hz / 2);
        s->Compute(frame.data(), true);
    }
    int LoudestKey() const {
        int best = 0;
        for (int key = 1; key < kKeyCount; ++key) {
            if (s->KeyLevel(key) > s->KeyLevel(best)) best = key;
        }
        return best;
    }
    std::unique_ptr<Spectra> s = std::make_unique<Spectra>();
};

TEST(LevelFromMagnitude, ScaleAndLimits) {
    const double kInf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> cases[] = {{0.0, 0},  {-5.0, 0},  {std::nan(""), 0}, {1e-200, 0}, {0.5, 0},  {1.0, 0},
                                            {5.0, 22}, {10.0, 32}, {1e3, 80},         {1e300, 80}, {kInf, 80}};
    for (const auto& c : cases) EXPECT_EQ(LevelFromMagnitude(c.first), c.second) << c.first;
}

TEST_F(SpectraTest, FullScaleA4PeaksInsideItsKeyBand) {
    Analyse(Tone(440.0, 32767.0, 44100), 44100);
    const double* spectrum = s->ShortSpectrum();
    int peak = 0;
    for (int k = 1; k < kShortSize; ++k) {
        if (std::fabs(spectrum[k]) > std::fabs(spectrum[peak])) peak = k;
    }
    EXPECT_EQ(peak, 41);
    EXPECT_EQ(s->ShortEdge(48), 40);
    EXPECT_EQ(s->ShortEdge(49), 43);
    EXPECT_EQ(s->KeyLevel(48), 80);
    EXPECT_EQ(LoudestKey(), 48);
}

TEST_F(SpectraTest, QuietToneReadsAlikeInBothTransforms) {
    // 1/100 of full scale is 40 dB, 64 steps, down. A2 comes from the long transform and A4 from the
    // short one; a steady tone must read nearly the same from either.
    Analyse(Tone(440.0, 327.67, 44100), 44100);
    EXPECT_EQ(s->KeyLevel(48), 25);
    Analyse(Tone(110.0, 327.67, 44100), 44100);
    EXPECT_EQ(LoudestKey(), 24);
    EXPECT_NEAR(s->KeyLevel(24), 25, 3);
}

TEST_F(SpectraTest, SilenceGivesNothingAnywhere) {
    Analyse(std::vector<int16_t>(kFrameSamples, 0), 44100);
    for (int i = 0; i < kKeyCount; ++i) {
        EXPECT_EQ(s->KeyLevel(i), 0) << "key " << i;
        for (int zoom = 1; zoom <= 3; ++zoom) {
            EXPECT_EQ(s->ColumnLevel(i, zoom).level, 0) << "column " << i << " zoom " << zoom;
            EXPECT_EQ(s->ColumnLevel(i, zoom).offset, 0) << "column " << i << " zoom " << zoom;
        }
    }
}

TEST_F(SpectraTest, EmptyBandsStayAtZeroUnderALoudTone) {
    const struct {
        int sampling_hz;
        double hz;
        int empty_key, loud_neighbour;
    } cases[] = {{44100, 30.87, 2, 1}, {44100, 38.89, 6, 7}, {8000, 3990.0, 87, 86}};
    for (const auto& c : cases) {
        Analyse(Tone(c.hz, 32767.0, c.sampling_hz), c.sampling_hz);
        EXPECT_EQ(s->KeyLevel(c.empty_key), 0) << c.hz;
        EXPECT_GE(s->KeyLevel(c.loud_neighbour), kSoundingLevel) << c.hz;
    }
    EXPECT_EQ(s->ShortEdge(87), 2047);
    EXPECT_EQ(s->ShortEdge(88), 2047);
}

TEST(ColumnBounds, ColumnsTileTheirRange) {
    const struct {
        int zoom, first, last, narrowest, widest;
    } cases[] = {{1, 0, 2048, 23, 24}, {2, 0, 1024, 11, 12}, {3, 512, 1536, 11, 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(Spectra::ColumnStart(0, c.zoom), c.first) << c.zoom;
        EXPECT_EQ(Spectra::ColumnEnd(kKeyCount - 1, c.zoom), c.last) << c.zoom;
        for (int i = 0; i < kKeyCount; ++i) {
            const int start = Spectra::ColumnStart(i, c.zoom);
            EXPECT_GE(Spectra::ColumnEnd(i, c.zoom) - start, c.narrowest) << c.zoom << " " << i;
            EXPECT_LE(Spectra::ColumnEnd(i, c.zoom) - start, c.widest) << c.zoom << " " << i;
            if (i > 0) {
                EXPECT_EQ(start, Spectra::ColumnEnd(i - 1, c.zoom)) << c.zoom << " " << i;
            }
        }
    }
}

TEST_F(SpectraTest, ColumnPeakAndOffsetFollowTheZoom) {
    Analyse(Tone(440.0, 32767.0, 44100), 44100);  // peak at short index 41
    EXPECT_EQ(s->ColumnLevel(1, 1).level, 80);
    EXPECT_EQ(s->ColumnLevel(1, 1).offset, 41 - 23);
    EXPECT_EQ(s->ColumnLevel(3, 2).level, 80);
    EXPECT_EQ(s->ColumnLevel(3, 2).offset, 41 - 34);
    for (int i = 0; i < kKeyCount; ++i) EXPECT_LT(s->ColumnLevel(i, 3).level, kSoundingLevel) << i;
}

TEST_F(SpectraTest, ShortOnlyFrameKeepsTheLongSpectrum) {
    Analyse(Tone(55.0, 32767.0, 44100), 44100);
    s->Compute(std::vector<int16_t>(kFrameSamples, 0).data(), false);
    EXPECT_GE(s->KeyLevel(12), kSoundingLevel);
    for (int key = 32; key < kKeyCount; ++key) EXPECT_EQ(s->KeyLevel(key), 0) << key;
}

TEST(AnalysisTables, RateChangeMovesTheEdges) {
    const int saved = app.half_sampling_hz;
    const struct {
        int half_sampling_hz, a0_edge, a4_edge;
    } cases[] = {{22050, 10, 40}, {4000, 55, 219}, {22050, 10, 40}};
    for (const auto& c : cases) {
        app.half_sampling_hz = c.half_sampling_hz;
        BuildAnalysisTables();
        EXPECT_EQ(spectra.LongEdge(0), c.a0_edge) << c.half_sampling_hz;
        EXPECT_EQ(spectra.ShortEdge(48), c.a4_edge) << c.half_sampling_hz;
        // The transforms rebuilt with the tables still put A4 in its key.
        spectra.Compute(Tone(440.0, 32767.0, 2 * c.half_sampling_hz).data(), true);
        EXPECT_EQ(spectra.KeyLevel(48), 80) << c.half_sampling_hz;
        EXPECT_LT(spectra.KeyLevel(47), 80) << c.half_sampling_hz;
        EXPECT_LT(spectra.KeyLevel(49), 80) << c.half_sampling_hz;
    }
    app.half_sampling_hz = saved;
    BuildAnalysisTables();
}

}  // namespace
