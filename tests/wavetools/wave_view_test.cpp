// The Wave View's positions, steps, jumps, sample decoding, trace mapping, layout and key repetition.
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

WaveViewFile Mono16(std::uint32_t dataBytes, int rate = 8000) {
    return {rate, 1, 16, 44, dataBytes};
}
WaveViewFile Stereo16(std::uint32_t dataBytes) {
    return {8000, 2, 16, 44, dataBytes};
}

TEST(WaveViewGeometry, AnalyzePerStaysInsideTheStreamBuffer) {
    // The widest screen the W button reaches still fits the 5,120,000-byte stream buffer.
    WaveView view = View(MaxAnalyzePer(View(), Stereo16(100000)));
    std::int32_t pos = 44;
    ApplyWaveViewButton(IDC_WAVE_VIEW_WIDER, view, Stereo16(100000), pos);
    EXPECT_LE(WindowBytes(view, Stereo16(100000)), 5120000u);
    EXPECT_GT(WindowBytes(View(view.analyzePer + 1), Stereo16(100000)), 5120000u) << "and no narrower limit";
}

TEST(WaveViewMoves, StepsAndClampsAtTheEnds) {
    // Mono 16-bit at 8000 Hz: a frame is 2 bytes, a screen 1600 bytes, one second 16000 bytes.
    const WaveViewFile longFile = Mono16(100000), shortFile = Mono16(1000);
    const std::int32_t last = 44 + 100000 - 1600;
    struct Case {
        const char* name;
        WaveViewFile file;
        std::int32_t from;
        int id;
        std::int32_t to;
    };
    const Case cases[] = {
        {">", longFile, 44, IDC_WAVE_VIEW_FORWARD, 44 + 400},
        {">>", longFile, 44, IDC_WAVE_VIEW_SECOND_FORWARD, 44 + 16000},
        {"> near the end stops at the last screen", longFile, last - 100, IDC_WAVE_VIEW_FORWARD, last},
        {"<", longFile, 44 + 1000, IDC_WAVE_VIEW_BACK, 44 + 600},
        {"< less than one step from the start", longFile, 44 + 300, IDC_WAVE_VIEW_BACK, 44},
        {"left arrow", longFile, 44 + 20000, IDM_WAVE_VIEW_KEY_BACK, 44 + 10000},
        {">|", longFile, 44, IDC_WAVE_VIEW_LAST, last},
        {"short file: >| is the start", shortFile, 44, IDC_WAVE_VIEW_LAST, 44},
        {"odd data size: the last screen is on a whole frame", Mono16(100001), 44, IDC_WAVE_VIEW_LAST, last},
    };
    for (const Case& c : cases) {
        WaveView view = View();
        std::int32_t pos = c.from;
        EXPECT_TRUE(ApplyWaveViewButton(c.id, view, c.file, pos)) << c.name;
        EXPECT_EQ(pos, c.to) << c.name;
    }
    WaveView view = View();
    std::int32_t pos = 444;
    EXPECT_FALSE(ApplyWaveViewButton(12345, view, longFile, pos));
    EXPECT_EQ(pos, 444);
}

TEST(WaveViewMoves, WiderNarrowerAndDetail) {
    const WaveViewFile file = Mono16(100000);
    WaveView view = View();
    std::int32_t pos = 44;
    ApplyWaveViewButton(IDC_WAVE_VIEW_NARROWER, view, file, pos);
    EXPECT_EQ(view.analyzePer, 1) << "d at 1 stays at 1";
    ApplyWaveViewButton(IDC_WAVE_VIEW_WIDER, view, file, pos);
    EXPECT_EQ(view.analyzePer, 2);
    // At the last screen a wider screen pulls the position back so that the screen stays full.
    view = View();
    pos = LastScreen(view, file);
    ApplyWaveViewButton(IDC_WAVE_VIEW_WIDER, view, file, pos);
    EXPECT_EQ(pos, 44 + 100000 - 3200);
    // Detail shrinks the screen: a 1000-byte file is shorter than a normal screen but not a detail one.
    EXPECT_EQ(LastScreen(View(1, true), file), 44 + 100000 - 160);
    EXPECT_EQ(MoveForward(View(), Mono16(1000), 44, 200), 44);
    EXPECT_EQ(MoveForward(View(1, true), Mono16(1000), 44, 200), 44 + 400);
}

TEST(WaveViewJump, AcceptsTimesInsideTheFileOnly) {
    // 150 s of mono 16-bit at 8000 Hz: 2:30, one second is 16000 bytes.
    const WaveViewFile file = Mono16(150 * 16000);
    struct Case {
        const char* minutes;
        const char* seconds;
        bool accepted;
        std::int32_t pos;
    };
    const Case cases[] = {
        {"2", "29", true, 44 + 149 * 16000},
        {"2", "30", false, 0},  // the end itself is refused
        {"1", "65", true, 44 + 125 * 16000},
        {"0", "0", true, 44},
        {" 1 ", " 2 ", true, 44 + 62 * 16000},
        {"-1", "10", false, 0},
        {"abc", "1", false, 0},
    };
    for (const Case& c : cases) {
        std::int32_t pos = 7;
        EXPECT_EQ(JumpPosition(View(), file, {0, 2, 30, 0}, c.minutes, c.seconds, pos), c.accepted)
            << c.minutes << ":" << c.seconds;
        EXPECT_EQ(pos, c.accepted ? c.pos : 7) << c.minutes << ":" << c.seconds;
    }
    // One hour exactly at 100 Hz: a jump into the last screen shows the last full screen.
    const WaveViewFile hour = {100, 1, 16, 44, 3600 * 200};
    std::int32_t pos = 0;
    EXPECT_TRUE(JumpPosition(View(), hour, {1, 0, 0, 0}, "59", "59", pos));
    EXPECT_EQ(pos, 44 + 3600 * 200 - 1600);
    EXPECT_FALSE(JumpPosition(View(), hour, {1, 0, 0, 0}, "60", "0", pos));
}

TEST(WaveViewTexts, TimesTitleAndFields) {
    const WaveViewFile file = Mono16(88200 * 4000, 44100);
    EXPECT_EQ(TimeText(TimeAt(file, 44 + 88200 * 61 + 88200 / 2)), "0:1:1:500");
    EXPECT_EQ(TimeText(TimeAt(file, 44 + 88200 * 3723 + 8820)), "1:2:3:100");
    EXPECT_EQ(WaveViewTitle("C:\\music\\a.wav"), "WaveView [C:\\music\\a.wav]");
    EXPECT_EQ(StepText(12), "Step->12");
    EXPECT_EQ(LengthLimitText({0, 2, 30, 500}), "MAX=0:2:30:500msec");
    EXPECT_EQ(JumpMinutesText({1, 2, 3, 4}), "62");
    EXPECT_EQ(JumpSecondsText({1, 2, 3, 4}), "3");
}

TEST(WaveViewTraces, FullScaleSpansTheViewTopToBottom) {
    const TraceAxis mono = TraceAxisOf(View(), 1, 0);  // 700 high
    const int values[][2] = {{32767, 0}, {-32768, 700}, {-100, 351}};
    for (const auto& v : values) EXPECT_EQ(PointY(v[0], mono), v[1]) << v[0];
    EXPECT_LT(TraceAxisOf(View(), 2, 0).centre, TraceAxisOf(View(), 2, 1).centre) << "left channel on top";
}

// Left channel frame f holds 10f, right channel -10f.
std::vector<std::uint8_t> Ramp16(int frames, int channels) {
    std::vector<std::uint8_t> bytes;
    for (int f = 0; f < frames; ++f) {
        for (int ch = 0; ch < channels; ++ch) {
            const auto v = static_cast<std::uint16_t>(ch == 0 ? f * 10 : -f * 10);
            bytes.insert(bytes.end(), {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)});
        }
    }
    return bytes;
}

TEST(WaveViewTraces, PointsFollowFramesColumnsAndChannels) {
    const std::vector<std::uint8_t> mono = Ramp16(4000, 1), stereo = Ramp16(800, 2);
    const TraceAxis axis = TraceAxisOf(View(), 1, 0);
    const auto points = TracePoints(View(2), Mono16(8000), mono.data(), 8000, 0);  // point k is frame 2k
    ASSERT_EQ(points.size(), 800u);
    EXPECT_EQ(points[799].x, 100 + 799);
    EXPECT_EQ(points[799].y, PointY(2 * 799 * 10, axis));
    const auto detail = TracePoints(View(1, true), Mono16(8000), mono.data(), 8000, 0);  // 10 pixels apart
    ASSERT_EQ(detail.size(), 80u);
    EXPECT_EQ(detail[79].x, 100 + 790);
    EXPECT_EQ(detail[3].y, PointY(30, axis));
    const auto right = TracePoints(View(), Stereo16(8000), stereo.data(), 3200, 1);
    ASSERT_EQ(right.size(), 800u);
    EXPECT_EQ(right[500].y, PointY(-5000, TraceAxisOf(View(), 2, 1)));
    // Only whole loaded frames of an existing channel are drawn.
    EXPECT_EQ(TracePoints(View(), Mono16(8000), mono.data(), 101, 0).size(), 50u);
    EXPECT_TRUE(TracePoints(View(), Mono16(8000), nullptr, 100, 0).empty());
    EXPECT_TRUE(TracePoints(View(), Mono16(8000), mono.data(), 1600, 1).empty());
}

// Runs the timer for `ticks` ticks and returns the ticks (1-based) on which a repeat happened,
// negated when the repeat went the wrong way.
std::vector<int> RepeatTicks(WaveViewKeys& keys, int ticks, WaveViewRepeat kind, int releaseAt) {
    Shared<unsigned> tickCount{0};
    std::vector<int> at;
    for (int t = 1; t <= ticks; ++t) {
        if (t == releaseAt) keys.right = keys.left = 0;
        tickCount.fetch_add(1);
        const WaveViewRepeat r = StepWaveViewKeys(keys, tickCount);
        if (r != WaveViewRepeat::None) at.push_back(r == kind ? t : -t);
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
    };
    for (const Case& c : cases) {
        WaveViewKeys keys;
        keys.right = c.right;
        keys.left = c.left;
        EXPECT_EQ(RepeatTicks(keys, 60, c.kind, c.releaseAt), c.ticks) << c.name;
    }
}

}  // namespace
