// The metronome's beat engine on a fake clock: where the rod turns, which beat clicks which sound,
// how bars count, and when the beats fall for each compensation type; and the click sounds' loading.
#include "display/metronome_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/debug_log.h"
#include "display/metronome_tables.h"
#include "tests/wavetools/wave_bytes.h"
#include "wavetools/playback_engine.h"

namespace {

struct Recorder : MetronomeOutput {
    std::vector<int> clicks;
    std::vector<long long> click_times;
    const long long* clock = nullptr;
    int invalidations = 0;
    void Click(int slot) override {
        clicks.push_back(slot);
        click_times.push_back(clock ? *clock : 0);
    }
    void Invalidate() override { ++invalidations; }
};

// Sleeps and busy waits take exactly their time; after `sleeps_left` sleeps it asks the run to stop.
struct FakeClock : MetronomeClock {
    explicit FakeClock(AppState& s) : state(s) {}
    AppState& state;
    long long now = 5000000;
    int sleeps_left = -1;
    int TimeOfDayMs() override { return static_cast<int>(now % kDayMs); }
    void SleepMs(int ms) override {
        now += ms;
        if (sleeps_left > 0 && --sleeps_left == 0) state.worker_state = -1;
    }
    void BusyWaitMs(int ms) override { now += ms; }
};

// The state StartMetronome leaves.
void Start(AppState& s, int kind, int beat_no) {
    s.metronome_kind = kind;
    s.beat_no = beat_no;
    s.metronome_tempo = 120;
    s.rod_position = metronome_tables::SwingFor(120).lo;
    s.swing_direction = 1;
    s.metronome_started = 0;
    s.beat_index = 0;
    s.bar_count = 0;
    s.worker_state = 1;
}

// Each beat as {beat index, bar count, slot clicked (-1 none), steps since the last beat}.
using Beat = std::array<int, 4>;

std::vector<Beat> StepBeats(AppState& s, int count) {
    std::vector<Beat> beats;
    Recorder out;
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

constexpr int A = kAccentClickSlot, B = kBeatClickSlot;

TEST(MetronomeTiming, PlanFromTempoAndSteps) {
    // tempo, steps -> period, sleep, rem, leftover
    const std::array<double, 6> cases[] = {
        {120, 27, 500, 10, 8, 230}, {30, 37, 2000, 50, 4, 150}, {300, 5, 200, 40, 0, 0}};
    for (const auto& c : cases) {
        const BeatTiming t = TimingFor(int(c[0]), int(c[1]));
        EXPECT_EQ((std::array<double, 6>{c[0], double(t.steps), t.period_ms, double(t.sleep_ms), double(t.rem_ms),
                                         t.leftover_ms}),
                  c);
    }
}

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
        AppState s;
        s.downbeat[2] = 1;
        Start(s, c.kind, c.beat_no);
        s.mid_swing = 1;  // left by an earlier run
        EXPECT_EQ(StepBeats(s, 5), c.beats) << "kind " << c.kind << ", beat_no " << c.beat_no;
    }
}

TEST(MetronomeSteps, AccentFollowsTheDownbeatOfTheBarLength) {
    // beat_no, downbeat, then the bar's slots
    const std::vector<int> cases[] = {
        {1, 2, B, A}, {3, 1, A, B, B, B}, {3, 0, B, B, B, B}, {5, 4, B, B, B, A, B, B}, {0, 1, B, B}};
    for (const auto& c : cases) {
        AppState s;
        s.downbeat[metronome_tables::BeatsPerBar(c[0]) - 2] = c[1];
        Start(s, kKindBall, c[0]);
        std::vector<int> slots;
        for (const Beat& b : StepBeats(s, int(c.size()) - 2)) slots.push_back(b[2]);
        EXPECT_EQ(slots, std::vector<int>(c.begin() + 2, c.end())) << "beat_no " << c[0];
    }
}

TEST(MetronomeSteps, BarCountWrapsAfter9999) {
    for (int kind : {kKindNormal, kKindConductor, kKindBall, kKindSignal}) {
        AppState s;
        Start(s, kind, 1);
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
        AppState s;
        Start(s, c[0], 3);
        s.metronome_started = 1;
        s.rod_position = c[1];
        s.swing_direction = c[2];
        Recorder out;
        const bool beat = MetronomeStep(s, out);
        EXPECT_EQ((std::array<int, 6>{c[0], c[1], c[2], s.rod_position, s.swing_direction, beat}), c);
        // The lamps only change on a beat; every other picture moves on every step.
        EXPECT_EQ(out.invalidations, (c[0] != kKindSignal || beat) ? 1 : 0) << "kind " << c[0];
    }
}

TEST(MetronomeTiming, TimeBetweenDays) {
    EXPECT_EQ(MsBetween(kDayMs - 100, 200), 300);  // across midnight
    EXPECT_EQ(MsBetween(1000, 990), -10);          // a clock read just before the start
    EXPECT_EQ(MsBetween(0, 22 * 3600000), 22 * 3600000);
}

TEST(MetronomeTiming, CompensationWaitByType) {
    const BeatTiming t = TimingFor(120, 27);  // rem 8, leftover 230
    // type, beat, lag -> wait; the run on the fake clock below checks each type's effect
    const std::array<int, 4> cases[] = {{1, 0, 0, 0}, {2, 1, -40, 40}, {2, 1, 15, 0}, {2, 0, -40, 8}, {7, 1, 0, 8}};
    for (const auto& c : cases) {
        EXPECT_EQ(CompensationWaitMs(c[0], c[1] != 0, t, c[2]), c[3])
            << "type " << c[0] << " beat " << c[1] << " lag " << c[2];
    }
}

// Gaps between the clicks of a run on the fake clock.
std::vector<long long> ClickGaps(AppState& s, int beats, std::vector<std::string>* debug = nullptr) {
    FakeClock clock(s);
    Recorder out;
    out.clock = &clock.now;
    if (debug) SetDebugSink([debug](const char* text) { debug->push_back(text); });
    MetronomeRun run(s, clock, out);
    for (int guard = 0; guard < 100000 && static_cast<int>(out.click_times.size()) < beats; ++guard) run.Iterate();
    SetDebugSink(nullptr);
    std::vector<long long> gaps;
    for (std::size_t i = 1; i < out.click_times.size(); ++i)
        gaps.push_back(out.click_times[i] - out.click_times[i - 1]);
    return gaps;
}

TEST(MetronomeTiming, BeatsKeepTheTempoInEveryKind) {
    // Types 1 and 2 hold P = 500 ms once the first beats are past; type 0 loses the fraction of
    // P / steps in every step by its nature.
    struct Case {
        int type, kind;
        std::vector<long long> first;
        long long steady;
    };
    // clang-format off
    const Case cases[] = {
        {1, kKindNormal, {510, 500}, 500},      {1, kKindConductor, {490, 500}, 500},
        {2, kKindNormal, {504, 485, 486}, 500}, {2, kKindBall, {478, 490}, 500},
        {0, kKindNormal, {513, 494}, 494},      {0, kKindBall, {486, 486}, 486},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s;
        s.metro_move_type = c.type;
        Start(s, c.kind, 3);
        const std::vector<long long> gaps = ClickGaps(s, 24);
        ASSERT_EQ(gaps.size(), 23u);
        EXPECT_EQ(std::vector<long long>(gaps.begin(), gaps.begin() + c.first.size()), c.first)
            << "type " << c.type << ", kind " << c.kind;
        EXPECT_EQ(std::vector<long long>(gaps.begin() + 4, gaps.end()), std::vector<long long>(19, c.steady))
            << "type " << c.type << ", kind " << c.kind;
    }
}

TEST(MetronomeTiming, TypeTwoReportsAndCatchesUpWithoutBarsAndAcrossTheBarWrap) {
    for (int beat_no : {0, 3}) {
        AppState s;
        s.metro_move_type = 2;
        Start(s, kKindSignal, beat_no);
        s.bar_count = 9998;  // the count restarts during the run
        std::vector<std::string> debug;
        const std::vector<long long> gaps = ClickGaps(s, 20, &debug);
        ASSERT_GE(debug.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(debug.begin(), debug.begin() + 3),
                  (std::vector<std::string>{"10  10\r\n", "514  14\r\n", "999  -1\r\n"}));
        EXPECT_EQ(std::vector<long long>(gaps.begin() + 4, gaps.end()), std::vector<long long>(15, 500))
            << "beat_no " << beat_no;
    }
}

TEST(MetronomeTiming, PauseStopsTheStepsButNotTheClockAndDoesNotCount) {
    AppState s;
    s.metro_move_type = 2;
    Start(s, kKindNormal, 3);
    FakeClock clock(s);
    Recorder out;
    out.clock = &clock.now;
    MetronomeRun run(s, clock, out);
    while (out.clicks.size() < 3) run.Iterate();  // paused right after a beat
    const int rod = s.rod_position;
    s.paused = 1;
    const long long paused_at = clock.now;
    while (clock.now < paused_at + 10000) run.Iterate();
    EXPECT_EQ(out.clicks.size(), 3u);
    EXPECT_EQ(s.rod_position, rod);
    s.metronome_start_ms += static_cast<int>(clock.now - paused_at);  // resuming
    s.paused = 0;
    std::vector<std::string> debug;
    SetDebugSink([&debug](const char* text) { debug.push_back(text); });
    while (out.clicks.size() < 8) run.Iterate();
    SetDebugSink(nullptr);
    for (const std::string& line : debug)
        EXPECT_LE(std::abs(std::stoi(line.substr(line.find("  ") + 2))), 30) << "after the pause: " << line;
}

TEST(MetronomeTiming, RunEndsOnTheStopRequest) {
    AppState s;
    Start(s, kKindBall, 3);
    FakeClock clock(s);
    clock.sleeps_left = 60;
    Recorder out;
    RunMetronome(s, clock, out);
    EXPECT_EQ(s.worker_state, 0);
    EXPECT_EQ(out.clicks.size(), 3u);  // the first beat and those after 27 and 54 steps
}

// A sound in memory: `frames` copies of one frame of channel values.
WaveSource Sound(int rate, int bits, std::vector<std::vector<long>> frames) {
    WaveSource s;
    const int bytes = bits / 8;
    EXPECT_TRUE(AllocateSourceBuffer(s, static_cast<std::uint32_t>(frames.size() * frames[0].size() * bytes)));
    std::uint8_t* p = s.buffer;
    for (const auto& frame : frames)
        for (long v : frame)
            for (int i = 0; i < bytes; ++i) *p++ = static_cast<std::uint8_t>((bits == 8 ? v + 128 : v) >> (8 * i));
    s.bytesToQueue = s.bufferBytes;
    s.sampleRate = rate;
    s.bitsPerSample = bits;
    s.channels = static_cast<int>(frames[0].size());
    return s;
}

std::vector<int> Frame(const WaveSource& s, std::size_t i) {
    std::int16_t v[2];
    std::memcpy(v, s.buffer + i * 4, 4);
    return {v[0], v[1]};
}

TEST(ClickSounds, OtherFormatsBecomeSixteenBitStereoAt44100) {
    struct Case {
        int rate, bits;
        std::vector<long> frame;
        std::size_t frames_in, frames_out;
        std::vector<int> out;
    };
    // clang-format off
    const Case cases[] = {
        {22050, 8,  {64},                    100,    200,     {16384, 16384}},
        {48000, 24, {0x123456, -0x100000},   480,    441,     {0x1234, -0x1000}},
        {11025, 32, {0x12345678},            10,     40,      {0x1234, 0x1234}},
        {8000,  16, {7},                     200000, 1000000, {7, 7}},  // at most one ring's worth
    };
    // clang-format on
    for (const Case& c : cases) {
        WaveSource s = Sound(c.rate, c.bits, std::vector<std::vector<long>>(c.frames_in, c.frame));
        ASSERT_TRUE(ConvertToClickFormat(s)) << c.rate << " Hz, " << c.bits << " bits";
        EXPECT_EQ((std::vector<int>{s.sampleRate, s.bitsPerSample, s.channels}), (std::vector<int>{44100, 16, 2}));
        EXPECT_EQ(s.bytesToQueue, c.frames_out * 4) << c.rate << " Hz, " << c.bits << " bits";
        EXPECT_EQ(Frame(s, 0), c.out);
        EXPECT_EQ(Frame(s, c.frames_out - 1), c.out);
        ResetWaveSource(s);
    }
    // A ramp at half the rate is interpolated between its samples.
    WaveSource ramp = Sound(22050, 16, {{0}, {100}, {200}});
    ASSERT_TRUE(ConvertToClickFormat(ramp));
    EXPECT_EQ((std::vector<int>{Frame(ramp, 1)[0], Frame(ramp, 3)[0], Frame(ramp, 5)[0]}),
              (std::vector<int>{50, 150, 200}));
    ResetWaveSource(ramp);
    WaveSource half_frame = Sound(22050, 16, {{5}});
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

TEST(ClickSounds, LoadingNeedsBothSoundsAndMakesTheRing) {
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
    WaveSource ring;
    const std::string accent = dir + "accent.wav", beat = dir + "click.wav", missing = dir + "missing.wav";
    EXPECT_FALSE(LoadClickSet(slots.data(), kClickSlotCount, ring, {{{missing}, {beat}}}));
    EXPECT_FALSE(LoadClickSet(slots.data(), kClickSlotCount, ring, {{{accent}, {missing}}}));
    EXPECT_EQ(ring.buffer, nullptr);
    ASSERT_TRUE(LoadClickSet(slots.data(), kClickSlotCount, ring, {{{accent}, {beat}}}));
    EXPECT_EQ((std::vector<std::uint32_t>{ring.bufferBytes, ring.bytesToQueue, std::uint32_t(ring.sampleRate),
                                          std::uint32_t(ring.bitsPerSample), std::uint32_t(ring.channels)}),
              (std::vector<std::uint32_t>{ClickRingBytes, 0, 44100, 16, 2}));
    SlotClickSounds sounds(slots.data(), kClickSlotCount, ring);
    EXPECT_EQ(sounds.QueueClick(kBeatClickSlot, false), 0);
    EXPECT_EQ(ring.bytesToQueue, 400u * 2 * 4);  // the 8-bit mono click, converted so that it sounds
    FreeClickSet(slots.data(), kClickSlotCount, ring);
    EXPECT_EQ(ring.buffer, nullptr);
    EXPECT_EQ(slots[0].buffer, nullptr);
}

}  // namespace
