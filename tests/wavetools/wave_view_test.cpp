// The Wave View's positions, steps, jumps, trace mapping, layout, texts and key repetition.
#include "wavetools/wave_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// 800 wave columns (screen 1000 wide), 700 high.
WaveView View(int analyzePer = 1, bool detail = false) {
    WaveView view = MakeWaveView(1000, 740, 20, 20);
    view.analyzePer = analyzePer;
    view.detail = detail;
    return view;
}

WaveViewFile Mono16(std::uint32_t dataBytes, int rate = 8000) { return {rate, 1, 16, 44, dataBytes}; }
WaveViewFile Stereo16(std::uint32_t dataBytes, int rate = 8000) { return {rate, 2, 16, 44, dataBytes}; }

TEST(WaveViewGeometry, ScreenLessMenuAndCaption) {
    const WaveView view = MakeWaveView(1024, 768, 19, 18);
    EXPECT_EQ(view.screenW, 1024);
    EXPECT_EQ(view.screenH, 731);
    EXPECT_EQ(view.viewWidth, 824);
    EXPECT_EQ(view.analyzePer, 1);
    EXPECT_FALSE(view.detail);
    EXPECT_EQ(MakeWaveView(150, 100, 10, 10).viewWidth, 0);
}

TEST(WaveViewGeometry, WindowBytes) {
    struct Case {
        const char* name;
        WaveView view;
        WaveViewFile file;
        std::uint32_t bytes;
    };
    const Case cases[] = {
        {"mono 16-bit", View(), Mono16(100000), 800 * 2},
        {"stereo, 3 frames a point", View(3), Stereo16(100000), 800 * 4 * 3},
        {"detail: a tenth of the points", View(1, true), Stereo16(100000), 80 * 4},
        {"8-bit mono", View(), {8000, 1, 8, 44, 1000}, 800},
    };
    for (const Case& c : cases) EXPECT_EQ(WindowBytes(c.view, c.file), c.bytes) << c.name;
}

TEST(WaveViewGeometry, AnalyzePerStaysInsideTheStreamBuffer) {
    EXPECT_EQ(MaxAnalyzePer(View(), Stereo16(100000)), 5120000 / (800 * 4));
    EXPECT_EQ(MaxAnalyzePer(View(), Mono16(100000)), 5120000 / (800 * 2));
    WaveView view = View(MaxAnalyzePer(View(), Stereo16(100000)));
    std::int32_t pos = 44;
    ApplyWaveViewButton(kWaveViewWiderButton, view, Stereo16(100000), pos);
    EXPECT_LE(WindowBytes(view, Stereo16(100000)), 5120000u);
}

TEST(WaveViewMoves, Table) {
    // Mono 16-bit at 8000 Hz: a frame is 2 bytes, a screen 1600 bytes, one second 16000 bytes.
    const WaveViewFile longFile = Mono16(100000);
    const WaveViewFile shortFile = Mono16(1000);
    const std::int32_t last = 44 + 100000 - 1600;
    struct Case {
        const char* name;
        WaveViewFile file;
        std::int32_t from;
        int id;
        std::int32_t to;
    };
    const Case cases[] = {
        {">", longFile, 44, kWaveViewForwardButton, 44 + 400},
        {">>", longFile, 44, kWaveViewSecondForwardButton, 44 + 16000},
        {"right arrow", longFile, 44, kWaveViewKeyForwardCommand, 44 + 10000},
        {"> near the end stops at the last screen", longFile, last - 100, kWaveViewForwardButton, last},
        {">> at the last screen stays", longFile, last, kWaveViewSecondForwardButton, last},
        {"<", longFile, 44 + 1000, kWaveViewBackButton, 44 + 600},
        {"< exactly one step", longFile, 44 + 400, kWaveViewBackButton, 44},
        {"< less than one step from the start", longFile, 44 + 300, kWaveViewBackButton, 44},
        {"<<", longFile, 44 + 20000, kWaveViewSecondBackButton, 44 + 4000},
        {"left arrow", longFile, 44 + 20000, kWaveViewKeyBackCommand, 44 + 10000},
        {"|<", longFile, 44 + 20000, kWaveViewFirstButton, 44},
        {">|", longFile, 44, kWaveViewLastButton, last},
        {"short file: > returns to the start", shortFile, 44, kWaveViewForwardButton, 44},
        {"short file: >> returns to the start", shortFile, 44, kWaveViewSecondForwardButton, 44},
        {"short file: < stays at the start", shortFile, 44, kWaveViewBackButton, 44},
        {"short file: >| is the start", shortFile, 44, kWaveViewLastButton, 44},
        {"odd data size: the last screen is on a whole frame", Mono16(100001), 44, kWaveViewLastButton, last},
    };
    for (const Case& c : cases) {
        WaveView view = View();
        std::int32_t pos = c.from;
        EXPECT_TRUE(ApplyWaveViewButton(c.id, view, c.file, pos)) << c.name;
        EXPECT_EQ(pos, c.to) << c.name;
    }
}

TEST(WaveViewMoves, UnknownIdMovesNothing) {
    WaveView view = View();
    std::int32_t pos = 444;
    EXPECT_FALSE(ApplyWaveViewButton(12345, view, Mono16(100000), pos));
    EXPECT_EQ(pos, 444);
}

TEST(WaveViewMoves, WiderAndNarrower) {
    const WaveViewFile file = Mono16(100000);
    WaveView view = View();
    std::int32_t pos = 44;
    ApplyWaveViewButton(kWaveViewNarrowerButton, view, file, pos);
    EXPECT_EQ(view.analyzePer, 1) << "d at 1 stays at 1";
    ApplyWaveViewButton(kWaveViewWiderButton, view, file, pos);
    ApplyWaveViewButton(kWaveViewWiderButton, view, file, pos);
    EXPECT_EQ(view.analyzePer, 3);
    ApplyWaveViewButton(kWaveViewNarrowerButton, view, file, pos);
    EXPECT_EQ(view.analyzePer, 2);
    // At the last screen a wider screen pulls the position back so that the screen stays full.
    view = View();
    pos = LastScreen(view, file);
    ApplyWaveViewButton(kWaveViewWiderButton, view, file, pos);
    EXPECT_EQ(pos, 44 + 100000 - 3200);
}

TEST(WaveViewMoves, DetailShrinksTheScreenAndTheEndClampFollows) {
    const WaveViewFile file = Mono16(100000);
    EXPECT_EQ(LastScreen(View(1, true), file), 44 + 100000 - 160);
    WaveView view = View(1, true);
    std::int32_t pos = 44 + 100000 - 1600;
    ApplyWaveViewButton(kWaveViewSecondForwardButton, view, file, pos);
    EXPECT_EQ(pos, 44 + 100000 - 160);
    // A 1000-byte file is shorter than a normal screen but longer than a detail one.
    EXPECT_EQ(MoveForward(View(), Mono16(1000), 44, 200), 44);
    EXPECT_EQ(MoveForward(View(1, true), Mono16(1000), 44, 200), 44 + 400);
}

TEST(WaveViewTime, PositionToTime) {
    const WaveViewFile file = Mono16(88200 * 4000, 44100);
    struct Case {
        std::int64_t offset;
        const char* text;
    };
    const Case cases[] = {
        {0, "0:0:0:0"},
        {88200 / 2, "0:0:0:500"},
        {88200 * 61 + 88200 / 2, "0:1:1:500"},
        {88200LL * 3723 + 8820, "1:2:3:100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeText(TimeAt(file, static_cast<std::int32_t>(44 + c.offset))), c.text) << c.offset;
    }
}

TEST(WaveViewJump, Table) {
    // 150 s of mono 16-bit at 8000 Hz: 2:30, one second is 16000 bytes.
    const WaveViewFile file = Mono16(150 * 16000);
    const FileDuration length{0, 2, 30, 0};
    const std::int32_t last = 44 + 150 * 16000 - 1600;
    struct Case {
        const char* name;
        const char* minutes;
        const char* seconds;
        bool accepted;
        std::int32_t pos;
    };
    const Case cases[] = {
        {"2:29 is inside", "2", "29", true, 44 + 149 * 16000},
        {"2:30 is the end", "2", "30", false, 0},
        {"3:00 is beyond", "3", "0", false, 0},
        {"seconds beyond 59 still count", "1", "200", false, 0},
        {"1:65 is 2:05", "1", "65", true, 44 + 125 * 16000},
        {"0:0", "0", "0", true, 44},
        {"negative minutes", "-1", "10", false, 0},
        {"negative seconds", "1", "-5", false, 0},
        {"not a number", "abc", "1", false, 0},
        {"empty", "", "1", false, 0},
        {"blanks around", " 1 ", " 2 ", true, 44 + 62 * 16000},
    };
    for (const Case& c : cases) {
        std::int32_t pos = 7;
        EXPECT_EQ(JumpPosition(View(), file, length, c.minutes, c.seconds, pos), c.accepted) << c.name;
        EXPECT_EQ(pos, c.accepted ? c.pos : 7) << c.name;
        EXPECT_LE(pos, last) << c.name;
    }
}

TEST(WaveViewJump, HoursAndTheLastScreen) {
    // One hour exactly at 100 Hz mono 16-bit (200 bytes a second).
    const WaveViewFile file = {100, 1, 16, 44, 3600 * 200};
    const FileDuration length{1, 0, 0, 0};
    std::int32_t pos = 0;
    EXPECT_TRUE(JumpPosition(View(), file, length, "59", "59", pos));
    EXPECT_EQ(pos, 44 + 3600 * 200 - 1600) << "a jump into the last screen shows the last full screen";
    EXPECT_FALSE(JumpPosition(View(), file, length, "60", "0", pos));
}

TEST(WaveViewTexts, Table) {
    EXPECT_EQ(WaveViewTitle("C:\\music\\a.wav"), "WaveView [C:\\music\\a.wav]");
    EXPECT_EQ(TimeText({1, 2, 3, 45}), "1:2:3:45");
    EXPECT_EQ(StepText(1), "Step->1");
    EXPECT_EQ(StepText(12), "Step->12");
    EXPECT_EQ(LengthLimitText({0, 2, 30, 500}), "MAX=0:2:30:500msec");
    EXPECT_EQ(JumpMinutesText({1, 2, 3, 4}), "62");
    EXPECT_EQ(JumpSecondsText({1, 2, 3, 4}), "3");
}

TEST(WaveViewSamples, ValuesOfEachWidth) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int bits;
        int value;
    };
    const Case cases[] = {
        {"16-bit top", {0xFF, 0x7F}, 16, 32767},
        {"16-bit bottom", {0x00, 0x80}, 16, -32768},
        {"16-bit -1", {0xFF, 0xFF}, 16, -1},
        {"8-bit silence", {128}, 8, 0},
        {"8-bit top", {255}, 8, 32512},
        {"8-bit bottom", {0}, 8, -32768},
        {"24-bit keeps the top 16 bits", {0x12, 0x34, 0x80}, 24, -32716},
        {"32-bit keeps the top 16 bits", {0xFF, 0xFF, 0xFF, 0x7F}, 32, 32767},
    };
    for (const Case& c : cases) EXPECT_EQ(SampleValue(c.bytes.data(), c.bits), c.value) << c.name;
}

TEST(WaveViewTraces, AxesAndScale) {
    const WaveView view = View();  // 700 high
    const TraceAxis mono = TraceAxisOf(view, 1, 0);
    EXPECT_EQ(mono.centre, 350);
    EXPECT_EQ(mono.amplitude, 350);
    const TraceAxis left = TraceAxisOf(view, 2, 0);
    const TraceAxis right = TraceAxisOf(view, 2, 1);
    EXPECT_EQ(left.amplitude, (700 - 30) / 4);
    EXPECT_EQ(left.centre, 167);
    EXPECT_EQ(right.centre, 700 - 167);
    struct Case {
        int value;
        int y;
    };
    const Case cases[] = {{0, 350}, {32767, 0}, {-32767, 700}, {-32768, 700}, {16384, 350 - 175}, {-100, 351}};
    for (const Case& c : cases) EXPECT_EQ(PointY(c.value, mono), c.y) << c.value;
}

std::vector<std::uint8_t> Ramp16(int frames, int channels) {
    std::vector<std::uint8_t> bytes;
    for (int f = 0; f < frames; ++f) {
        for (int ch = 0; ch < channels; ++ch) {
            const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(ch == 0 ? f * 10 : -f * 10));
            bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    return bytes;
}

TEST(WaveViewTraces, PointsFollowFramesAndColumns) {
    const std::vector<std::uint8_t> mono = Ramp16(4000, 1);
    const TraceAxis axis = TraceAxisOf(View(), 1, 0);
    // Two frames a point: point k is frame 2k.
    const std::vector<TracePoint> points =
        TracePoints(View(2), Mono16(8000), mono.data(), static_cast<std::uint32_t>(mono.size()), 0);
    ASSERT_EQ(points.size(), 800u);
    for (int k : {0, 1, 2, 799}) {
        EXPECT_EQ(points[k].x, 100 + k);
        EXPECT_EQ(points[k].y, PointY(2 * k * 10, axis));
    }
    // Detail: 80 points 10 pixels apart.
    const std::vector<TracePoint> detail =
        TracePoints(View(1, true), Mono16(8000), mono.data(), static_cast<std::uint32_t>(mono.size()), 0);
    ASSERT_EQ(detail.size(), 80u);
    EXPECT_EQ(detail[1].x, 110);
    EXPECT_EQ(detail[79].x, 100 + 790);
    EXPECT_EQ(detail[3].y, PointY(30, axis));
}

TEST(WaveViewTraces, OnlyLoadedFramesAreDrawn) {
    const std::vector<std::uint8_t> mono = Ramp16(800, 1);
    EXPECT_EQ(TracePoints(View(), Mono16(8000), mono.data(), 101, 0).size(), 50u);
    EXPECT_EQ(TracePoints(View(), Mono16(8000), mono.data(), 0, 0).size(), 0u);
    EXPECT_TRUE(TracePoints(View(), Mono16(8000), nullptr, 100, 0).empty());
    EXPECT_TRUE(TracePoints(View(), Mono16(8000), mono.data(), 1600, 1).empty()) << "mono has no channel 1";
}

TEST(WaveViewTraces, StereoChannelsUseTheirOwnSamplesAndAxes) {
    const std::vector<std::uint8_t> stereo = Ramp16(800, 2);
    const WaveView view = View();
    const auto size = static_cast<std::uint32_t>(stereo.size());
    const std::vector<TracePoint> left = TracePoints(view, Stereo16(8000), stereo.data(), size, 0);
    const std::vector<TracePoint> right = TracePoints(view, Stereo16(8000), stereo.data(), size, 1);
    ASSERT_EQ(left.size(), 800u);
    ASSERT_EQ(right.size(), 800u);
    EXPECT_EQ(left[500].y, PointY(5000, TraceAxisOf(view, 2, 0)));
    EXPECT_EQ(right[500].y, PointY(-5000, TraceAxisOf(view, 2, 1)));
    EXPECT_LT(left[500].y, TraceAxisOf(view, 2, 0).centre) << "positive values above the axis";
    EXPECT_GT(right[500].y, TraceAxisOf(view, 2, 1).centre);
}

TEST(WaveViewLayout, ButtonsScaleWithTheClientArea) {
    const WaveView view = View();  // 1000 x 700
    struct Case {
        int clientW, clientH;
        int w, h;
    };
    const Case cases[] = {{1000, 700, 50, 30}, {500, 350, 25, 15}, {632, 420, 31, 18}};
    for (const Case& c : cases) {
        const double sx = c.clientW / 1000.0;
        const double sy = c.clientH / 700.0;
        const std::array<ButtonPlace, 8> places = ButtonLayout(view, c.clientW, c.clientH);
        std::vector<int> ids;
        for (const ButtonPlace& p : places) {
            ids.push_back(p.id);
            EXPECT_EQ(p.w, c.w);
            EXPECT_EQ(p.h, c.h);
        }
        EXPECT_EQ(ids, (std::vector<int>{40050, 40051, 40052, 40053, 40054, 40055, 40058, 40059}));
        const int row = static_cast<int>(sy * (350 - 15));
        EXPECT_EQ(places[0].x, 0);
        EXPECT_EQ(places[0].y, row);
        EXPECT_EQ(places[1].x, c.w);
        EXPECT_EQ(places[2].x, static_cast<int>(sx * 900));
        EXPECT_EQ(places[3].x, static_cast<int>(sx * 950));
        EXPECT_EQ(places[4].y, 0);
        EXPECT_EQ(places[5].y, c.h);
        EXPECT_EQ(places[6].y, static_cast<int>(sy * (350 - 75)));
        EXPECT_EQ(places[7].x, static_cast<int>(sx * 950));
    }
}

// Runs the timer for `ticks` ticks and returns the ticks (1-based) on which a repeat happened.
std::vector<int> RepeatTicks(WaveViewKeys& keys, int ticks, WaveViewRepeat kind, int releaseAt = -1) {
    Shared<unsigned> tickCount{0};
    std::vector<int> at;
    for (int t = 1; t <= ticks; ++t) {
        if (t == releaseAt) {
            keys.right = 0;
            keys.left = 0;
        }
        tickCount.fetch_add(1);
        const WaveViewRepeat r = StepWaveViewKeys(keys, tickCount);
        if (r == kind) at.push_back(t);
        if (r != WaveViewRepeat::None && r != kind) at.push_back(-t);
    }
    return at;
}

TEST(WaveViewKeys, HeldKeyWaitsThenRepeatsEverySixTicks) {
    struct Case {
        const char* name;
        int right, left;
        WaveViewRepeat kind;
        int releaseAt;
        std::vector<int> ticks;
    };
    const Case cases[] = {
        {"right held", 1, 0, WaveViewRepeat::Forward, -1, {38, 44, 50, 56}},
        {"left held", 0, 1, WaveViewRepeat::Back, -1, {38, 44, 50, 56}},
        {"both held: the right arrow wins", 1, 1, WaveViewRepeat::Forward, -1, {38, 44, 50, 56}},
        {"released before the delay ends", 1, 0, WaveViewRepeat::Forward, 20, {}},
        {"released while repeating", 1, 0, WaveViewRepeat::Forward, 45, {38, 44}},
        {"nothing held", 0, 0, WaveViewRepeat::Forward, -1, {}},
    };
    for (const Case& c : cases) {
        WaveViewKeys keys;
        keys.right = c.right;
        keys.left = c.left;
        EXPECT_EQ(RepeatTicks(keys, 60, c.kind, c.releaseAt), c.ticks) << c.name;
    }
}

TEST(WaveViewKeys, ReleaseIsNeverUndone) {
    WaveViewKeys keys;
    Shared<unsigned> tickCount{0};
    keys.right = 1;
    StepWaveViewKeys(keys, tickCount);
    keys.right = 0;
    for (int t = 0; t < 100; ++t) {
        tickCount.fetch_add(1);
        EXPECT_EQ(StepWaveViewKeys(keys, tickCount), WaveViewRepeat::None);
    }
    EXPECT_EQ(keys.right.load(), 0);
}

}  // namespace
