// The metronome's beat engine on a fake clock: where the rod turns, which beat clicks which sound,
// how bars count, and when the beats fall for each compensation type; and the click sounds' loading.
#include "display/metronome_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/debug_log.h"
#include "display/metronome_tables.h"
#include "tests/wavetools/wave_bytes.h"
#include "wavetools/playback_engine.h"

namespace {

using metronome_tables::SwingFor;

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
    long long now = 5000000;  // some time of day
    int sleeps_left = -1;
    int TimeOfDayMs() override { return static_cast<int>(now % kDayMs); }
    void SleepMs(int ms) override {
        now += ms;
        if (sleeps_left > 0 && --sleeps_left == 0) state.worker_state = -1;
    }
    void BusyWaitMs(int ms) override { now += ms; }
};

// The state StartMetronome leaves.
void Start(AppState& s, int kind, int beat_no, int tempo = 120) {
    s.metronome_kind = kind;
    s.beat_no = beat_no;
    s.metronome_tempo = tempo;
    s.rod_position = SwingFor(tempo).lo;
    s.swing_direction = 1;
    s.metronome_started = 0;
    s.beat_index = 0;
    s.bar_count = 0;
    s.worker_state = 1;
}

struct Beat {
    int index, bar, slot, steps;  // after the beat; the slot clicked (-1 none); steps since the last
    bool operator==(const Beat& o) const {
        return index == o.index && bar == o.bar && slot == o.slot && steps == o.steps;
    }
};
std::ostream& operator<<(std::ostream& os, const Beat& b) {
    return os << "{" << b.index << ", " << b.bar << ", slot " << b.slot << ", " << b.steps << " steps}";
}

std::vector<Beat> StepBeats(AppState& s, int count) {
    std::vector<Beat> beats;
    Recorder out;
    int steps = 0;
    for (int guard = 0; guard < 10000 && static_cast<int>(beats.size()) < count; ++guard) {
        const std::size_t before = out.clicks.size();
        ++steps;
        if (!MetronomeStep(s, out)) {
            EXPECT_EQ(out.clicks.size(), before) << "a click without a beat";
            EXPECT_EQ(s.mid_swing, 1);
            continue;
        }
        EXPECT_EQ(s.mid_swing, 0);
        beats.push_back(
            {s.beat_index, s.bar_count, out.clicks.size() > before ? out.clicks.back() : -1, steps});
        steps = 0;
    }
    return beats;
}

constexpr int A = kAccentClickSlot, B = kBeatClickSlot;

TEST(MetronomeTiming, PlanFromTempoAndStepsPerBeat) {
    struct Case {
        int tempo, steps;
        double period;
        int sleep, rem;
        double leftover;
    };
    // clang-format off
    const Case cases[] = {
        {120, 27, 500, 10, 8, 230},  // a whole swing at 120
        {30,  37, 2000, 50, 4, 150},
        {300, 5,  200, 40, 0, 0},
        {120, 26, 500, 10, 9, 240},  // the turning pendulum at 120
        {300, 4,  200, 50, 0, 0},
        {30,  36, 2000, 50, 5, 200},
    };
    // clang-format on
    for (const Case& c : cases) {
        const BeatTiming t = TimingFor(c.tempo, c.steps);
        EXPECT_EQ(
            std::vector<double>(
                {t.period_ms, double(t.steps), double(t.sleep_ms), double(t.rem_ms), t.leftover_ms}),
            std::vector<double>({c.period, double(c.steps), double(c.sleep), double(c.rem), c.leftover}))
            << "tempo " << c.tempo << ", " << c.steps << " steps";
    }
    EXPECT_EQ((std::vector<int>{SwingSteps(30), SwingSteps(120), SwingSteps(300)}),
              (std::vector<int>{37, 27, 5}));
    EXPECT_EQ((std::vector<int>{StepsPerBeat(kKindNormal, 120), StepsPerBeat(kKindConductor, 120),
                                StepsPerBeat(kKindBall, 120), StepsPerBeat(kKindSignal, 120)}),
              (std::vector<int>{26, 27, 27, 26}));
}

TEST(MetronomeSteps, WholeBarsOfEachKind) {
    struct Case {
        int kind, beat_no;
        std::vector<Beat> beats;
    };
    // Tempo 120 swings 5..31; four beats with the accent on the first, or no bars at all.
    // clang-format off
    const Case cases[] = {
        {kKindNormal,    3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {0, 2, A, 26}, {1, 2, B, 26}}},
        {kKindSignal,    3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {0, 2, A, 26}, {1, 2, B, 26}}},
        {kKindBall,      3, {{0, 1, A, 1}, {1, 1, B, 27}, {2, 1, B, 27}, {3, 1, B, 27}, {0, 2, A, 27}, {1, 2, B, 27}}},
        {kKindConductor, 3, {{0, 1, A, 1}, {1, 1, B, 26}, {2, 1, B, 27}, {3, 1, B, 27}, {0, 2, A, 27}, {1, 2, B, 27}}},
        {kKindNormal,    0, {{0, 1, B, 1}, {1, 1, B, 27}, {2, 1, B, 26}, {3, 1, B, 26}, {4, 1, B, 26}, {5, 1, B, 26}}},
        {kKindSignal,    0, {{0, 1, B, 1}, {1, 1, B, 27}, {0, 1, B, 26}, {1, 1, B, 26}, {0, 1, B, 26}, {1, 1, B, 26}}},
        {kKindBall,      0, {{0, 1, B, 1}, {1, 1, B, 27}, {0, 1, B, 27}, {1, 1, B, 27}, {0, 1, B, 27}, {1, 1, B, 27}}},
        // The Conductor's first beat is silent without bars.
        {kKindConductor, 0, {{0, 1, -1, 1}, {1, 1, B, 26}, {0, 1, B, 27}, {1, 1, B, 27}, {0, 1, B, 27}, {1, 1, B, 27}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s;
        s.downbeat[2] = 1;
        Start(s, c.kind, c.beat_no);
        EXPECT_EQ(StepBeats(s, 6), c.beats) << "kind " << c.kind << ", beat_no " << c.beat_no;
    }
}

TEST(MetronomeSteps, AccentFollowsTheDownbeatOfTheBarLength) {
    struct Case {
        int beat_no, downbeat;
        std::vector<int> slots;
    };
    // clang-format off
    const Case cases[] = {
        {1, 2, {B, A}},          {2, 3, {B, B, A}},          {3, 1, {A, B, B, B}}, {3, 0, {B, B, B, B}},
        {4, 5, {B, B, B, B, A}}, {5, 4, {B, B, B, A, B, B}}, {0, 1, {B, B}},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s;
        const int length = metronome_tables::BeatsPerBar(c.beat_no);
        s.downbeat[length - 2] = c.downbeat;
        Start(s, kKindBall, c.beat_no);
        std::vector<int> slots;
        for (const Beat& b : StepBeats(s, length)) slots.push_back(b.slot);
        EXPECT_EQ(slots, c.slots) << "beat_no " << c.beat_no << ", downbeat " << c.downbeat;
    }
}

TEST(MetronomeSteps, BarCountWrapsAfter9999) {
    for (int kind : {kKindNormal, kKindConductor, kKindBall, kKindSignal}) {
        AppState s;
        Start(s, kind, 1);
        s.metronome_started = 1;
        s.bar_count = 9999;
        s.beat_index = 1;
        const std::vector<Beat> beats = StepBeats(s, 1);
        ASSERT_EQ(beats.size(), 1u);
        EXPECT_EQ(beats[0].bar, 0) << "kind " << kind;
        EXPECT_EQ(beats[0].index, 0) << "kind " << kind;
    }
}

TEST(MetronomeSteps, WhereTheRodTurnsOrRestarts) {
    struct Case {
        int kind, rod, direction;
        int rod_after, direction_after;
        bool beat;
    };
    // clang-format off
    const Case cases[] = {
        // lo 5, hi 31 at tempo 120
        {kKindNormal, 30, 1, 31, 1, false},  {kKindNormal, 31, 1, 30, 2, true},
        {kKindNormal, 6, 2, 5, 2, false},    {kKindNormal, 5, 2, 6, 1, true},
        {kKindSignal, 31, 1, 30, 2, true},   {kKindSignal, 5, 2, 6, 1, true},
        {kKindBall, 31, 1, 5, 1, true},      {kKindBall, 20, 2, 20, 2, false},
        {kKindConductor, 31, 1, 5, 2, true}, {kKindConductor, 5, 2, 6, 2, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s;
        Start(s, c.kind, 3);
        s.metronome_started = 1;
        s.rod_position = c.rod;
        s.swing_direction = c.direction;
        Recorder out;
        EXPECT_EQ(MetronomeStep(s, out), c.beat) << "kind " << c.kind << " from " << c.rod;
        EXPECT_EQ(s.rod_position, c.rod_after) << "kind " << c.kind << " from " << c.rod;
        EXPECT_EQ(s.swing_direction, c.direction_after) << "kind " << c.kind << " from " << c.rod;
        // The lamps only change on a beat; every other picture moves on every step.
        EXPECT_EQ(out.invalidations, (c.kind != kKindSignal || c.beat) ? 1 : 0) << "kind " << c.kind;
    }
}

TEST(MetronomeSteps, FirstCallSoundsTheBarAndOnlyTheConductorMovesOn) {
    for (int kind : {kKindNormal, kKindConductor, kKindBall, kKindSignal}) {
        AppState s;
        s.downbeat[2] = 1;
        Start(s, kind, 3);
        s.mid_swing = 1;  // left by an earlier run
        Recorder out;
        EXPECT_TRUE(MetronomeStep(s, out));
        EXPECT_EQ((std::vector<int>{s.bar_count, s.beat_index, s.metronome_started, s.mid_swing}),
                  (std::vector<int>{1, 0, 1, 0}))
            << "kind " << kind;
        EXPECT_EQ(out.clicks, std::vector<int>{A}) << "kind " << kind;
        EXPECT_EQ(s.rod_position, kind == kKindConductor ? 6 : 5) << "kind " << kind;
        EXPECT_EQ(out.invalidations, kind == kKindConductor ? 2 : 1) << "kind " << kind;
    }
}

TEST(MetronomeTiming, TimeBetweenDaysAndTheFirstLook) {
    EXPECT_EQ(MsBetween(1000, 1500), 500);
    EXPECT_EQ(MsBetween(kDayMs - 100, 200), 300);  // across midnight
    EXPECT_EQ(MsBetween(1000, 990), -10);          // a clock read just before the start
    EXPECT_EQ(MsBetween(0, 22 * 3600000), 22 * 3600000);

    AppState s;
    Start(s, kKindNormal, 3);
    FakeClock clock(s);
    clock.now = kDayMs - 20;
    Recorder out;
    MetronomeRun run(s, clock, out);
    EXPECT_EQ(s.metronome_start_ms, kDayMs - 20);
    clock.now += 50;
    EXPECT_EQ(run.ElapsedSinceStart(), 50);
    s.metronome_start_ms += 30;  // a pause of 30 ms
    EXPECT_EQ(run.ElapsedSinceStart(), 20);
}

TEST(MetronomeTiming, CompensationWaitByType) {
    const BeatTiming t = TimingFor(120, 27);  // rem 8, leftover 230
    struct Case {
        int type;
        bool beat;
        int lag, wait;
    };
    // clang-format off
    const Case cases[] = {
        {0, true, 0, 8},    {0, false, 0, 8},  {1, true, 0, 230}, {1, false, 0, 0},  {2, true, -40, 40},
        {2, true, 15, 0},   {2, true, 0, 0},   {2, false, -40, 8}, {7, true, 0, 8},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(CompensationWaitMs(c.type, c.beat, t, c.lag), c.wait)
            << "type " << c.type << (c.beat ? " beat" : " mid-swing") << " lag " << c.lag;
    }
    EXPECT_EQ(CompensationWaitMs(0, true, TimingFor(300, 5), 0), 0);
}

// Click times of a run on the fake clock, from the run's start.
std::vector<long long> ClickTimes(AppState& s, int beats, std::vector<std::string>* debug = nullptr) {
    FakeClock clock(s);
    const long long start = clock.now;
    Recorder out;
    out.clock = &clock.now;
    if (debug) SetDebugSink([debug](const char* text) { debug->push_back(text); });
    MetronomeRun run(s, clock, out);
    for (int guard = 0; guard < 100000 && static_cast<int>(out.click_times.size()) < beats; ++guard)
        run.Iterate();
    SetDebugSink(nullptr);
    for (long long& t : out.click_times) t -= start;
    return out.click_times;
}

std::vector<long long> Intervals(const std::vector<long long>& times) {
    std::vector<long long> out;
    for (std::size_t i = 1; i < times.size(); ++i) out.push_back(times[i] - times[i - 1]);
    return out;
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
        {1, kKindNormal, {510, 500}, 500},      {1, kKindSignal, {510, 500}, 500},
        {1, kKindBall, {500, 500}, 500},        {1, kKindConductor, {490, 500}, 500},
        {2, kKindNormal, {504, 485, 486}, 500}, {2, kKindBall, {478, 490}, 500},
        {0, kKindNormal, {513, 494}, 494},      {0, kKindBall, {486, 486}, 486},
    };
    // clang-format on
    for (const Case& c : cases) {
        AppState s;
        s.metro_move_type = c.type;
        Start(s, c.kind, 3);
        const std::vector<long long> gaps = Intervals(ClickTimes(s, 24));
        ASSERT_EQ(gaps.size(), 23u);
        EXPECT_EQ(std::vector<long long>(gaps.begin(), gaps.begin() + c.first.size()), c.first)
            << "type " << c.type << ", kind " << c.kind;
        for (std::size_t i = 4; i < gaps.size(); ++i) {
            EXPECT_EQ(gaps[i], c.steady) << "type " << c.type << ", kind " << c.kind << ", beat " << i + 1;
        }
    }
}

TEST(MetronomeTiming, TypeTwoReportsAndCatchesUpWithoutBarsAndAcrossTheBarWrap) {
    for (int beat_no : {0, 3}) {
        AppState s;
        s.metro_move_type = 2;
        Start(s, kKindSignal, beat_no);
        s.bar_count = 9998;  // the count restarts during the run
        std::vector<std::string> debug;
        const std::vector<long long> gaps = Intervals(ClickTimes(s, 20, &debug));
        ASSERT_GE(debug.size(), 3u);
        EXPECT_EQ(debug[0], "10  10\r\n");
        EXPECT_EQ(debug[1], "514  14\r\n");
        EXPECT_EQ(debug[2], "999  -1\r\n");
        for (std::size_t i = 4; i < gaps.size(); ++i) EXPECT_EQ(gaps[i], 500) << "beat_no " << beat_no;
    }
}

TEST(MetronomeTiming, PauseStopsTheStepsButNotTheClockAndDoesNotCount) {
    AppState s;
    s.metro_move_type = 2;
    Start(s, kKindNormal, 3);
    FakeClock clock(s);
    Recorder out;
    out.clock = &clock.now;
    std::vector<std::string> debug;
    SetDebugSink([&debug](const char* text) { debug.push_back(text); });
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
    debug.clear();
    while (out.clicks.size() < 8) run.Iterate();
    SetDebugSink(nullptr);
    for (const std::string& line : debug) {
        const int lag = std::stoi(line.substr(line.find("  ") + 2));
        EXPECT_LE(std::abs(lag), 30) << "after the pause: " << line;
    }
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

// A sound in memory: `frames` frames of the given channel values.
WaveSource Sound(int rate, int bits, const std::vector<std::vector<long>>& frames) {
    WaveSource s;
    const int channels = static_cast<int>(frames[0].size());
    const int bytes = bits / 8;
    EXPECT_TRUE(AllocateSourceBuffer(s, static_cast<std::uint32_t>(frames.size() * channels * bytes)));
    std::uint8_t* p = s.buffer;
    for (const auto& frame : frames) {
        for (long v : frame) {
            const auto u = static_cast<unsigned long>(bits == 8 ? v + 128 : v);
            for (int i = 0; i < bytes; ++i) *p++ = static_cast<std::uint8_t>(u >> (8 * i));
        }
    }
    s.bytesToQueue = s.bufferBytes;
    s.sampleRate = rate;
    s.bitsPerSample = bits;
    s.channels = channels;
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
        {44100, 16, {-1234},                 100,    100,     {-1234, -1234}},
        {22050, 16, {1000, -2000},           100,    200,     {1000, -2000}},
        {48000, 24, {0x123456, -0x100000},   480,    441,     {0x1234, -0x1000}},
        {11025, 32, {0x12345678},            10,     40,      {0x1234, 0x1234}},
        {8000,  16, {7},                     200000, 1000000, {7, 7}},  // at most one ring's worth
    };
    // clang-format on
    for (const Case& c : cases) {
        WaveSource s = Sound(c.rate, c.bits, std::vector<std::vector<long>>(c.frames_in, c.frame));
        ASSERT_TRUE(ConvertToClickFormat(s)) << c.rate << " Hz, " << c.bits << " bits";
        EXPECT_EQ((std::vector<int>{s.sampleRate, s.bitsPerSample, s.channels}),
                  (std::vector<int>{44100, 16, 2}));
        EXPECT_EQ(s.bytesToQueue, c.frames_out * 4) << c.rate << " Hz, " << c.bits << " bits";
        EXPECT_EQ(Frame(s, 0), c.out);
        EXPECT_EQ(Frame(s, c.frames_out - 1), c.out);
        ResetWaveSource(s);
    }
    // A ramp at half the rate is interpolated between its samples.
    WaveSource ramp = Sound(22050, 16, {{0}, {100}, {200}});
    ASSERT_TRUE(ConvertToClickFormat(ramp));
    EXPECT_EQ((std::vector<int>{Frame(ramp, 1)[0], Frame(ramp, 2)[0], Frame(ramp, 3)[0], Frame(ramp, 5)[0]}),
              (std::vector<int>{50, 100, 150, 200}));
    ResetWaveSource(ramp);
    WaveSource half_frame = Sound(22050, 16, {{5}});
    half_frame.channels = 2;  // two bytes are less than one stereo frame
    EXPECT_FALSE(ConvertToClickFormat(half_frame));
    ResetWaveSource(half_frame);
}

TEST(ClickSounds, DefaultFilesWhenTheSettingIsEmpty) {
    EXPECT_EQ(ClickFileCandidates(0, "C:\\my\\hi.wav", {"a", "b"}),
              std::vector<std::string>{"C:\\my\\hi.wav"});
    EXPECT_EQ(ClickFileCandidates(0, "", {"Z:\\run", "Z:\\bin\\"}),
              (std::vector<std::string>{"Z:\\run/click_accent.wav", "Z:\\bin\\click_accent.wav"}));
    EXPECT_EQ(ClickFileCandidates(1, "", {"/x"}), std::vector<std::string>{"/x/click.wav"});
}

TEST(ClickSounds, LoadingNeedsBothSoundsAndMakesTheRing) {
    const std::string dir = ::testing::TempDir() + "harmolab_clicks_";
    auto write = [](const std::string& path, int rate, int channels, int bits) {
        WaveRecipe recipe;
        recipe.rate = rate;
        recipe.channels = static_cast<std::uint16_t>(channels);
        recipe.bits = static_cast<std::uint16_t>(bits);
        recipe.dataBytes = 400;
        const std::vector<std::uint8_t> bytes = WaveBytes(recipe);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    write(dir + "accent.wav", 44100, 2, 16);
    write(dir + "click.wav", 22050, 1, 8);  // converted, so that it sounds
    std::array<WaveSource, kClickSlotCount> slots{};
    WaveSource ring;
    struct Case {
        std::string accent, beat;
        bool ok;
    };
    // clang-format off
    const Case cases[] = {
        {dir + "accent.wav",  dir + "click.wav",   true},
        {dir + "missing.wav", dir + "click.wav",   false},
        {dir + "accent.wav",  dir + "missing.wav", false},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(LoadClickSet(slots.data(), kClickSlotCount, ring, {{{c.accent}, {c.beat}}}), c.ok)
            << c.beat;
        EXPECT_EQ(ring.buffer != nullptr, c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(
            (std::vector<std::uint32_t>{ring.bufferBytes, ring.bytesToQueue, std::uint32_t(ring.sampleRate),
                                        std::uint32_t(ring.bitsPerSample), std::uint32_t(ring.channels)}),
            (std::vector<std::uint32_t>{ClickRingBytes, 0, 44100, 16, 2}));
        EXPECT_EQ(slots[kAccentClickSlot].bytesToQueue, 400u);
        EXPECT_EQ(slots[kBeatClickSlot].bytesToQueue, 400u * 2 * 4);
        SlotClickSounds sounds(slots.data(), kClickSlotCount, ring);
        EXPECT_EQ(sounds.QueueClick(kBeatClickSlot, false), 0);
        EXPECT_EQ(ring.bytesToQueue, 3200u);
    }
    FreeClickSet(slots.data(), kClickSlotCount, ring);
    EXPECT_EQ(ring.buffer, nullptr);
    EXPECT_EQ(slots[0].buffer, nullptr);
}

}  // namespace
