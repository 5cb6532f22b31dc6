// The metronome's beat engine: where the rod turns, which beat clicks which sound, how bars count;
// and the click sounds' loading.
#include "display/metronome_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/display/started_metronome.h"
#include "tests/wavetools/wave_bytes.h"
#include "wavetools/playback_engine.h"

namespace {

// Each beat as {beat index, bar count, sound clicked (A, B, -1 none), steps since the last beat}.
using Beat = std::array<int, 4>;

std::vector<Beat> StepBeats(AppState& s, int count) {
    std::vector<Beat> beats;
    RecordingScreen out;
    for (int steps = 1, guard = 0; guard < 10000 && static_cast<int>(beats.size()) < count; ++guard, ++steps) {
        const std::size_t before = out.clicks.size();
        if (!MetronomeStep(s, out)) {
            EXPECT_EQ(out.clicks.size(), before) << "a click without a beat";
            continue;
        }
        beats.push_back({s.beat_index, s.bar_count, out.clicks.size() > before ? out.clicks.back() : -1, steps});
        steps = 0;
    }
    return beats;
}

constexpr int A = 'A', B = 'B';

TEST(MetronomeSteps, WholeBarsOfEachKind) {
    struct Case {
        int kind, beat_no;
        std::vector<Beat> beats;
    };
    // Tempo 120 swings 5..31; four beats with the accent on the first, or no bars at all.
    // clang-format off
    const Case cases[] = {
        {kKindNormal,    3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {0, 2, A, 26}}},
        {kKindSignal,    3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {0, 2, A, 26}}},
        {kKindBall,      3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 27}, {3, 1, B, 27}, {0, 2, A, 27}}},
        {kKindConductor, 3, {{0, 1, A, 1}, {1, 1, B, 26}, {2, 1, B, 27}, {3, 1, B, 27}, {0, 2, A, 27}}},
        {kKindNormal,    0, {{0, 1, B, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {4, 1, B, 26}}},
        {kKindSignal,    0, {{0, 1, B, 1}, {1, 1, B, 27}, {0, 1, B, 26}, {1, 1, B, 26}, {0, 1, B, 26}}},
        {kKindBall,      0, {{0, 1, B, 1}, {1, 1, B, 27}, {0, 1, B, 27}, {1, 1, B, 27}, {0, 1, B, 27}}},
        // The Conductor's first beat is silent without bars.
        {kKindConductor, 0, {{0, 1, -1, 1}, {1, 1, B, 26}, {0, 1, B, 27}, {1, 1, B, 27}, {0, 1, B, 27}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s = StartedMetronome(c.kind, 120, c.beat_no, 1);
        s.mid_swing = 1;  // left by an earlier run
        EXPECT_EQ(StepBeats(s, 5), c.beats) << "kind " << c.kind << ", beat_no " << c.beat_no;
    }
}

TEST(MetronomeSteps, BarCountWrapsAfter9999) {
    for (int kind : {kKindNormal, kKindConductor, kKindBall, kKindSignal}) {
        AppState s = StartedMetronome(kind, 120, 1, 1);
        s.metronome_started = 1;
        s.bar_count = 9999;
        s.beat_index = 1;
        EXPECT_EQ(StepBeats(s, 1).at(0)[1], 0) << "kind " << kind;
        EXPECT_EQ(s.beat_index, 0) << "kind " << kind;
    }
}

TEST(MetronomeSteps, WhereTheRodTurnsOrRestarts) {
    // kind, rod, direction -> rod, direction, beat; lo 5 and hi 31 at tempo 120
    // clang-format off
    const std::array<int, 6> cases[] = {
        {kKindNormal, 30, 1, 31, 1, 0},  {kKindNormal, 31, 1, 30, 2, 1},    {kKindNormal, 5, 2, 6, 1, 1},
        {kKindSignal, 31, 1, 30, 2, 1},  {kKindSignal, 20, 1, 21, 1, 0},    {kKindBall, 31, 1, 5, 1, 1},
        {kKindBall, 20, 2, 20, 2, 0},    {kKindConductor, 31, 1, 5, 2, 1},  {kKindConductor, 5, 2, 6, 2, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        AppState s = StartedMetronome(c[0], 120, 3, 1);
        s.metronome_started = 1;
        s.rod_position = c[1];
        s.swing_direction = c[2];
        RecordingScreen out;
        const bool beat = MetronomeStep(s, out);
        EXPECT_EQ((std::array<int, 6>{c[0], c[1], c[2], s.rod_position, s.swing_direction, beat}), c);
        // The lamps only change on a beat; every other picture moves on every step.
        EXPECT_EQ(out.repaints, (c[0] != kKindSignal || beat) ? 1 : 0) << "kind " << c[0];
    }
}

// A 16-bit mono sound in memory: `frames` samples of `value`.
WaveSource Sound(int rate, std::size_t frames, std::int16_t value) {
    WaveSource s;
    EXPECT_TRUE(AllocateSourceBuffer(s, static_cast<std::uint32_t>(2 * frames)));
    for (std::size_t i = 0; i < frames; ++i) std::memcpy(s.buffer + 2 * i, &value, 2);
    s.bytesToQueue = s.bufferBytes;
    s.sampleRate = rate;
    s.bitsPerSample = 16;
    s.channels = 1;
    return s;
}

// Each sample width and the resampler are the PCM module's tests' business; a converted 8-bit mono
// click is loaded below.
TEST(ClickSounds, ConversionKeepsAtMostTheLongestClickAndNeedsAWholeFrame) {
    WaveSource s = Sound(8000, 200000, 7);  // 25 s
    ASSERT_TRUE(ConvertToClickFormat(s));
    EXPECT_EQ((std::vector<int>{s.sampleRate, s.bitsPerSample, s.channels}), (std::vector<int>{44100, 16, 2}));
    ASSERT_EQ(s.bytesToQueue, MaxClickBytes);
    std::int16_t last[2];
    std::memcpy(last, s.buffer + MaxClickBytes - 4, 4);
    EXPECT_EQ((std::vector<int>{last[0], last[1]}), (std::vector<int>{7, 7}));
    ResetWaveSource(s);
    WaveSource half_frame = Sound(22050, 1, 5);
    half_frame.channels = 2;  // two bytes are less than one stereo frame
    EXPECT_FALSE(ConvertToClickFormat(half_frame));
    ResetWaveSource(half_frame);
}

TEST(ClickSounds, DefaultFilesWhenTheSettingIsEmpty) {
    EXPECT_EQ(ClickFileCandidates(0, "C:\\my\\hi.wav", {"a"}), std::vector<std::string>{"C:\\my\\hi.wav"});
    EXPECT_EQ(ClickFileCandidates(0, "", {"Z:\\run", "Z:\\bin\\"}),
              (std::vector<std::string>{"Z:\\run/click_accent.wav", "Z:\\bin\\click_accent.wav"}));
    EXPECT_EQ(ClickFileCandidates(1, "", {"/x"}), std::vector<std::string>{"/x/click.wav"});
}

TEST(ClickSounds, LoadingNeedsBothSounds) {
    const std::string dir = ::testing::TempDir() + "harmolab_clicks_";
    for (const auto& [name, rate, channels, bits] :
         {std::tuple<const char*, int, int, int>{"accent.wav", 44100, 2, 16}, {"click.wav", 22050, 1, 8}}) {
        WaveRecipe recipe;
        recipe.rate = rate;
        recipe.channels = static_cast<std::uint16_t>(channels);
        recipe.bits = static_cast<std::uint16_t>(bits);
        recipe.dataBytes = 400;
        const std::vector<std::uint8_t> bytes = WaveBytes(recipe);
        std::ofstream(dir + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    std::array<WaveSource, kClickSlotCount> slots{};
    const std::string accent = dir + "accent.wav", beat = dir + "click.wav", missing = dir + "missing.wav";
    EXPECT_FALSE(LoadClickSet(slots.data(), kClickSlotCount, {{{missing}, {beat}}}));
    EXPECT_FALSE(LoadClickSet(slots.data(), kClickSlotCount, {{{accent}, {missing}}}));
    ASSERT_TRUE(LoadClickSet(slots.data(), kClickSlotCount, {{{accent}, {beat}}}));
    EXPECT_EQ(slots[kBeatClickSlot].bytesToQueue, 400u * 2 * 4);  // the 8-bit mono click, converted
    FreeClickSet(slots.data(), kClickSlotCount);
    EXPECT_EQ(slots[0].buffer, nullptr);
}

}  // namespace
