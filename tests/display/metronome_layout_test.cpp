// Metronome screen rules: drawing order, readouts, pendulum, conductor trace, ball row, lamps and
// the weight's boxes.
#include "display/metronome_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "display/image_ids.h"

// Readable failures: what is drawn, where, and how.
void PrintTo(const MetronomeDraw& d, std::ostream* os) {
    static const char* const kKinds[] = {"keyed", "opaque", "scaled", "line"};
    *os << kKinds[d.kind];
    if (d.kind == MetronomeDraw::kLine) {
        *os << " colour 0x" << std::hex << d.colour << std::dec << " width " << d.pen_width;
        for (const auto& p : d.points) *os << " (" << p[0] << "," << p[1] << ")";
        return;
    }
    *os << " image " << d.id << " at (" << d.x << "," << d.y << ")";
    if (d.kind == MetronomeDraw::kScaled) *os << " " << d.width << "x" << d.height;
}

namespace {

using Items = std::vector<MetronomeDraw>;
using D = MetronomeDraw;

int Small(int digit) {
    return kImageSmallDigitFirst + digit;
}
int Large(int digit) {
    return kImageLargeDigitFirst + digit;
}

constexpr int kShadowW = 100, kShadowH = 20;
constexpr int kCommonItems = 5;  // labels, bar-length digit and its two buttons

MetronomeView View(int kind) {
    MetronomeView v;
    v.kind = kind;
    v.tempo = 120;
    v.beat_no = 3;
    v.shadow_width = kShadowW;
    v.shadow_height = kShadowH;
    return v;
}

Items After(const Items& items, size_t skip) {
    return Items(items.begin() + std::min(skip, items.size()), items.end());
}

// Image ids in drawing order, a line counting as -1.
std::vector<int> Ids(const Items& items) {
    std::vector<int> ids;
    for (const D& d : items) ids.push_back(d.kind == D::kLine ? -1 : d.id);
    return ids;
}

TEST(MetronomeLayout, NormalKindInDrawingOrder) {
    MetronomeView v = View(kKindNormal);
    v.bar_count = 7;
    v.pressed_button = 4;
    const Items expected = {
        D::Keyed(kImageBeat, 5, 10),
        D::Keyed(kImageMeasure, 5, 60),
        D::Keyed(Large(4), 135, 0),
        D::Opaque(52, 75, 10),
        D::Opaque(56, 177, 10),
        D::Keyed(Small(7), 69, 100),
        D::Opaque(kImageMetronomeBody, 85, 55),
        D::Opaque(52, 250, 352),
        D::Opaque(57, 346, 352),
        D::Keyed(kImageRodFirst + 18, 317, 159),
        D::Keyed(kImageWeightFirst + 18, 300, 129 + 90),
        D::Keyed(Small(1), 296, 102),
        D::Keyed(Small(2), 312, 102),
        D::Keyed(Small(0), 328, 102),
    };
    MetronomeScreen screen = MetronomeScreenItems(v);
    EXPECT_EQ(screen.items, expected);
    EXPECT_EQ(screen.ball_frame, 0);
}

TEST(MetronomeLayout, BarCounterAndTempoDigits) {
    using Digits = std::vector<std::array<int, 2>>;
    const struct {
        int bar_count;
        Digits digits;
    } bars[] = {{0, {}},
                {7, {{Small(7), 69}}},
                {10, {{Small(1), 53}, {Small(0), 69}}},
                {100, {{Small(1), 37}, {Small(0), 53}, {Small(0), 69}}},
                {1234, {{Small(1), 21}, {Small(2), 37}, {Small(3), 53}, {Small(4), 69}}},
                {9999, {{Small(9), 21}, {Small(9), 37}, {Small(9), 53}, {Small(9), 69}}}};
    for (const auto& c : bars) EXPECT_EQ(BarCounterDigits(c.bar_count), c.digits) << c.bar_count;

    const struct {
        int tempo;
        bool large;
        Digits digits;
    } tempos[] = {{30, false, {{Small(3), 312}, {Small(0), 328}}},
                  {120, false, {{Small(1), 296}, {Small(2), 312}, {Small(0), 328}}},
                  {99, true, {{Large(9), 480}, {Large(9), 534}}},
                  {300, true, {{Large(3), 430}, {Large(0), 480}, {Large(0), 534}}}};
    for (const auto& c : tempos) EXPECT_EQ(TempoDigits(c.tempo, c.large), c.digits) << c.tempo;

    // The counter sits at y 100 on every kind; the top-row tempo in large digits at y 5.
    MetronomeView v = View(kKindSignal);
    v.bar_count = 1234;
    Items items = MetronomeScreenItems(v).items;
    EXPECT_EQ(After(Items(items.begin(), items.begin() + kCommonItems + 4), kCommonItems),
              (Items{D::Keyed(Small(1), 21, 100), D::Keyed(Small(2), 37, 100), D::Keyed(Small(3), 53, 100),
                     D::Keyed(Small(4), 69, 100)}));
    EXPECT_NE(std::find(items.begin(), items.end(), D::Keyed(Large(2), 480, 5)), items.end());
}

TEST(MetronomeLayout, BarLengthDigitAndButtons) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 0}};
    for (const auto& [beat_no, digit] : cases) {
        MetronomeView v = View(kKindNormal);
        v.beat_no = beat_no;
        v.pressed_button = 21;
        Items items = MetronomeScreenItems(v).items;
        EXPECT_EQ(items[2], D::Keyed(Large(digit), 135, 0)) << beat_no;
        EXPECT_EQ(items[3], D::Opaque(52, 75, 10));
        EXPECT_EQ(items[4], D::Opaque(57, 177, 10)) << "the pressed up button";
    }
}

TEST(MetronomeLayout, PendulumFollowsTempoAndSwing) {
    const struct {
        int rod, tempo;
        bool running;
        int rod_x, rod_y, x, y;  // rod picture, then weight picture
    } cases[] = {
        {18, 30, false, 317, 159, 300, 129},
        {18, 300, false, 317, 159, 300, 399},
        // Upright while running: the angle is a hair short of 90 degrees, so sin x 90 truncates to 89,
        // one pixel above the resting weight.
        {18, 120, true, 317, 159, 300, 218},
        {0, 120, false, 85, 388, 54, 460},    // at rest the weight only slides straight down
        {9, 120, true, 152, 224, 181, 251},   // 135 degrees: cos and sin both 0.707, truncated towards zero
        {27, 120, true, 317, 224, 382, 251},  // 45 degrees
        {36, 120, true, 317, 388, 430, 370},  // rod lying to the right: the weight slides left to the pivot
        {0, 120, true, 85, 388, 143, 370},  // the angle falls just short of pi, so cos x 90 truncates to -89
    };
    for (const auto& c : cases) {
        MetronomeView v = View(kKindNormal);
        v.rod_position = c.rod;
        v.tempo = c.tempo;
        v.power_on = c.running;
        Items items = MetronomeScreenItems(v).items;
        auto weight = std::find_if(items.begin(), items.end(),
                                   [&](const D& d) { return d.id == kImageWeightFirst + c.rod; });
        ASSERT_NE(weight, items.end());
        EXPECT_EQ(*weight, D::Keyed(kImageWeightFirst + c.rod, c.x, c.y))
            << "rod " << c.rod << " tempo " << c.tempo;
        EXPECT_EQ(weight[-1], D::Keyed(kImageRodFirst + c.rod, c.rod_x, c.rod_y))
            << "the rod comes just before its weight";
    }
}

TEST(MetronomeLayout, TopRowKindsAndIdleConductor) {
    MetronomeView v = View(kKindConductor);
    v.pressed_button = 30;
    const Items expected = {
        D::Opaque(kImageTempo, 250, 5),    D::Opaque(53, 370, 10),     D::Opaque(56, 575, 10),
        D::Keyed(Large(1), 430, 5),        D::Keyed(Large(2), 480, 5), D::Keyed(Large(0), 534, 5),
        D::Opaque(kImageConductor, 0, 130)};
    EXPECT_EQ(After(MetronomeScreenItems(v).items, kCommonItems), expected);

    // A kind outside the four draws only the bar controls.
    v.kind = 7;
    EXPECT_EQ(MetronomeScreenItems(v).items.size(), static_cast<size_t>(kCommonItems));
}

TEST(MetronomeLayout, CellRows) {
    const struct {
        int beat_no;
        std::vector<int> xs;
    } cases[] = {{3, {120, 220, 320, 420}},
                 {0, {220, 320}},
                 {5, {20, 120, 220, 320, 420, 520}},
                 {6, {120, 220, 320, 420}}};  // no grouping shows four
    for (const auto& c : cases) {
        MetronomeView signal = View(kKindSignal);
        signal.beat_no = c.beat_no;
        Items lamps = After(MetronomeScreenItems(signal).items, kCommonItems + 6);
        MetronomeView ball = View(kKindBall);
        ball.beat_no = c.beat_no;
        Items balls = After(MetronomeScreenItems(ball).items, kCommonItems + 6);
        ASSERT_EQ(lamps.size(), c.xs.size()) << c.beat_no;
        ASSERT_EQ(balls.size(), 2 * c.xs.size()) << c.beat_no;
        for (size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_EQ(lamps[i], D::Opaque(kImageSignalOff, c.xs[i], 150));
            // A quarter-size shadow centred below each resting ball.
            EXPECT_EQ(balls[2 * i], D::Scaled(kImageShadow, c.xs[i] + 37, 420, 25, 5));
            EXPECT_EQ(balls[2 * i + 1], D::Opaque(kImageBallFirst, c.xs[i], 150));
        }
    }

    // Running, the lamp of the current beat is lit.
    MetronomeView v = View(kKindSignal);
    v.power_on = true;
    v.beat_index = 2;
    EXPECT_EQ(Ids(After(MetronomeScreenItems(v).items, kCommonItems + 6)),
              (std::vector<int>{kImageSignalOff, kImageSignalOff, kImageSignalOn, kImageSignalOff}));
}

TEST(MetronomeLayout, BallFallsAndRisesWithItsShadow) {
    const struct {
        int tempo, rod;
        int ball_y, shadow_offset, shadow_w, shadow_h;
    } cases[] = {
        // 120 bpm swings over rods 5..31: 27 steps of 420 / 27 = 15.
        {120, 5, 150, 33, 33, 6},    // the beat: highest, smallest shadow
        {120, 9, 210, 33, 33, 6},    // t 60
        {120, 10, 225, 25, 50, 10},  // t 75
        {120, 14, 285, 25, 50, 10},  // t 135
        {120, 15, 300, 0, 100, 20},  // t 150
        {120, 18, 345, 0, 100, 20},  // t 195
        {120, 19, 360, 0, 100, 20},  // t 210: the floor, rising from here
        {120, 24, 285, 25, 50, 10},  // t 285
        {120, 29, 210, 33, 33, 6},   // t 360
        {120, 31, 180, 33, 33, 6},   // t 390
        // 300 bpm swings over rods 16..20: steps of 84.
        {300, 18, 318, 0, 100, 20},
        {300, 20, 234, 25, 50, 10},
    };
    for (const auto& c : cases) {
        BallPose pose = BallPoseFor(c.rod, c.tempo, kShadowW, kShadowH);
        EXPECT_EQ(pose.ball_y, c.ball_y) << c.tempo << " rod " << c.rod;
        EXPECT_EQ(pose.shadow_x_offset, c.shadow_offset) << c.tempo << " rod " << c.rod;
        EXPECT_EQ(pose.shadow_width, c.shadow_w) << c.tempo << " rod " << c.rod;
        EXPECT_EQ(pose.shadow_height, c.shadow_h) << c.tempo << " rod " << c.rod;
    }
}

TEST(MetronomeLayout, RunningBallRowTurnsTheBallEachPaint) {
    MetronomeView v = View(kKindBall);
    v.power_on = true;
    v.beat_index = 1;
    v.rod_position = 10;
    MetronomeScreen first = MetronomeScreenItems(v);
    const Items expected = {
        D::Scaled(kImageShadow, 120 + 37, 430, 25, 5),  D::Opaque(kImageBallFirst, 120, 150),
        D::Scaled(kImageShadow, 220 + 25, 430, 50, 10), D::Opaque(kImageBallFirst + 1, 220, 225),
        D::Scaled(kImageShadow, 320 + 37, 430, 25, 5),  D::Opaque(kImageBallFirst, 320, 150),
        D::Scaled(kImageShadow, 420 + 37, 430, 25, 5),  D::Opaque(kImageBallFirst, 420, 150),
    };
    EXPECT_EQ(After(first.items, kCommonItems + 6), expected);
    EXPECT_EQ(first.ball_frame, 1);

    v.ball_frame = first.ball_frame;
    MetronomeScreen second = MetronomeScreenItems(v);
    EXPECT_EQ(second.ball_frame, 0);
    EXPECT_EQ(second.items[kCommonItems + 6 + 3], D::Opaque(kImageBallFirst, 220, 225));

    // Stopped, nothing turns.
    v.power_on = false;
    EXPECT_EQ(MetronomeScreenItems(v).ball_frame, v.ball_frame);
}

TEST(MetronomeLayout, CurrentBeatTraceGrowsWithTheRod) {
    using Segments = std::vector<std::array<int, 4>>;
    // Four beats at 120 bpm (rods 5..31). Beat 0 runs (326, 134) -> (328, 444) -> (282, 250): its
    // first stroke is 155.003 long, its second 99.690.
    const struct {
        int beat_index, rod;
        Segments segments;
    } cases[] = {
        {0, 5, {{326, 134, 326, 134}}},                         // the beat has just fired
        {0, 10, {{326, 134, 326, 228}}},                        // 30% down the first stroke
        {0, 21, {{326, 134, 326, 434}}},                        // d 150.9, still short of 155
        {0, 22, {{326, 134, 328, 444}, {328, 444, 324, 432}}},  // into the second stroke
        {0, 30, {{326, 134, 328, 444}, {328, 444, 290, 286}}},  // d 235.8, ten short of the end
        {0, 31, {{326, 134, 328, 444}, {328, 444, 282, 250}}},  // within ten of the end: whole
        {2, 18, {{78, 256, 304, 438}, {304, 438, 312, 432}}},
        {3, 31, {{572, 240, 456, 434}, {456, 434, 342, 166}}},
        {4, 20, {}},  // past the figure's last beat
        {-1, 20, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurrentBeatTrace(3, c.beat_index, c.rod, 120), c.segments)
            << "beat " << c.beat_index << " rod " << c.rod;
    }
    // Where the baton is within a unit of the first stroke's end, the rule goes by the truncated
    // length: the first stroke is whole and the second starts (a hair behind its start); within ten
    // units of the beat's end, again truncated, the second stroke is whole.
    const struct {
        int beat_no, beat_index, rod, tempo;
        Segments segments;
    } edges[] = {
        {2, 0, 22, 30, {{324, 130, 200, 448}, {200, 448, 200, 448}}},   // first stroke 170.66, d 170.25
        {3, 1, 18, 80, {{282, 250, 200, 442}, {200, 442, 200, 442}}},   // 104.39, d 104.33
        {5, 1, 27, 176, {{302, 206, 206, 438}, {206, 438, 152, 298}}},  // 200.57 in all, d 190.009
        {5, 1, 26, 176, {{302, 206, 206, 438}, {206, 438, 166, 336}}},
    };
    for (const auto& c : edges) {
        EXPECT_EQ(CurrentBeatTrace(c.beat_no, c.beat_index, c.rod, c.tempo), c.segments)
            << "bar index " << c.beat_no << " beat " << c.beat_index << " rod " << c.rod;
    }

    // Bars of 0, 1 and 2 beats share the two-beat figure: beat 1 starts at (273, 19).
    for (int beat_no : {0, 1, 6}) {
        Segments trace = CurrentBeatTrace(beat_no, 1, 5, 120);
        ASSERT_EQ(trace.size(), 1u) << beat_no;
        EXPECT_EQ(trace[0], (std::array<int, 4>{546, 158, 546, 158})) << beat_no;
    }
}

TEST(MetronomeLayout, ConductorLinesWhileRunning) {
    const std::vector<std::array<int, 2>> four = {{326, 134}, {328, 444}, {282, 250}, {200, 442}, {78, 256},
                                                  {304, 438}, {572, 240}, {456, 434}, {342, 166}};
    MetronomeView v = View(kKindConductor);
    v.power_on = true;
    v.beat_index = 2;
    v.rod_position = 18;
    Items lines = After(MetronomeScreenItems(v).items, kCommonItems + 6);
    const Items expected = {
        D::Line(0xC8C8C8, 2, four),
        D::Line(0x0000C8, 2, {four[0], four[1], four[2]}),
        D::Line(0x0000C8, 2, {four[2], four[3], four[4]}),
        D::Line(0x0000C8, 2, {{78, 256}, {304, 438}}),
        D::Line(0x0000C8, 2, {{304, 438}, {312, 432}}),
    };
    EXPECT_EQ(lines, expected);
    // GDI colours are 0x00BBGGRR: the trace is red, the figure grey.
    EXPECT_EQ(kConductorTraceColour & 0xFF, 0xC8u);
    EXPECT_EQ(kConductorTraceColour >> 8, 0u);

    // Clearing finished beats leaves the grey figure and the current beat only.
    v.conductor_line = 1;
    lines = After(MetronomeScreenItems(v).items, kCommonItems + 6);
    EXPECT_EQ(lines, (Items{expected[0], expected[3], expected[4]}));

    // On the bar's first beat nothing is finished yet.
    v.conductor_line = 0;
    v.beat_index = 0;
    v.rod_position = 5;
    lines = After(MetronomeScreenItems(v).items, kCommonItems + 6);
    EXPECT_EQ(lines, (Items{expected[0], D::Line(0x0000C8, 2, {{326, 134}, {326, 134}})}));

    // A bar without grouping (digit 0) has no finished beats to trace, whatever the beat index.
    v.beat_no = 6;
    v.beat_index = 1;
    lines = After(MetronomeScreenItems(v).items, kCommonItems + 6);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points.size(), 5u) << "the two-beat figure";
    EXPECT_EQ(lines[1].points.front(), (std::array<int, 2>{546, 158}));
}

TEST(MetronomeLayout, WeightHitAtBothSizes) {
    // Rod upright: 300 < x < 342 and 129 < y < 192 at 30 bpm, sliding down with the tempo to
    // 399 < y < 462 at 300. Half size halves each bound: 150 < x < 171, 64 < y < 96 at 30 bpm, and at
    // 31 bpm 130 and 193 halve to 65 and 96. Rod position 0 at 120: 54 < x < 96, 460 < y < 523.
    const struct {
        int rod, tempo, size, x, y;
        bool hit;
    } cases[] = {{18, 30, 0, 301, 130, true},  {18, 30, 0, 341, 191, true},  {18, 30, 0, 300, 150, false},
                 {18, 30, 0, 342, 150, false}, {18, 30, 0, 320, 129, false}, {18, 30, 0, 320, 192, false},
                 {18, 300, 0, 320, 400, true}, {18, 300, 0, 320, 461, true}, {18, 300, 0, 320, 399, false},
                 {18, 30, 1, 151, 65, true},   {18, 30, 1, 170, 95, true},   {18, 30, 1, 150, 80, false},
                 {18, 30, 1, 171, 80, false},  {18, 30, 1, 160, 64, false},  {18, 30, 1, 160, 96, false},
                 {18, 30, 1, 320, 160, false}, {18, 31, 1, 160, 65, false},  {18, 31, 1, 160, 66, true},
                 {18, 31, 1, 160, 95, true},   {0, 120, 0, 60, 470, true},   {0, 120, 0, 320, 220, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(WeightHit(c.rod, c.tempo, c.size, c.x, c.y), c.hit)
            << "rod " << c.rod << " tempo " << c.tempo << " size " << c.size << " at " << c.x << "," << c.y;
    }
}

TEST(MetronomeLayout, WeightDragAreaAtBothSizes) {
    const struct {
        int size, x, y;
        bool inside;
    } cases[] = {{0, 301, 130, true},  {0, 341, 398, true},  {0, 300, 200, false}, {0, 342, 200, false},
                 {0, 320, 129, false}, {0, 320, 399, false}, {1, 151, 65, true},   {1, 170, 198, true},
                 {1, 150, 100, false}, {1, 171, 100, false}, {1, 160, 64, false},  {1, 160, 199, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(WeightDragArea(18, c.size, c.x, c.y), c.inside)
            << "size " << c.size << " at " << c.x << "," << c.y;
    }
    EXPECT_TRUE(WeightDragArea(0, 0, 60, 300)) << "the column follows the rod position";
    EXPECT_FALSE(WeightDragArea(0, 0, 320, 300));
}

}  // namespace
