// Metronome screen rules: drawing order, readouts, pendulum, conductor trace, ball row, lamps and
// the weight's boxes.
#include "display/metronome_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>

#include "display/image_ids.h"

// Readable failures: what is drawn, where, and how.
void PrintTo(const MetronomeDraw& d, std::ostream* os) {
    *os << "kind " << d.kind << " image " << d.id << " at (" << d.x << "," << d.y << ") " << d.width << "x" << d.height
        << " colour 0x" << std::hex << d.colour << std::dec << " pen " << d.pen_width;
    for (const auto& p : d.points) *os << " (" << p[0] << "," << p[1] << ")";
}

namespace {

using Items = std::vector<MetronomeDraw>;
using D = MetronomeDraw;
using Segments = std::vector<std::array<int, 4>>;

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

// The items after the common ones and `skip` more.
Items Tail(const MetronomeView& v, size_t skip = 0) {
    const Items items = MetronomeScreenItems(v).items;
    return Items(items.begin() + std::min(kCommonItems + skip, items.size()), items.end());
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
    EXPECT_EQ(MetronomeScreenItems(v).items, expected);
}

TEST(MetronomeLayout, BarCounterTempoAndBarLengthDigits) {
    using Digits = std::vector<std::array<int, 2>>;
    EXPECT_EQ(BarCounterDigits(0), Digits{});
    EXPECT_EQ(BarCounterDigits(7), (Digits{{Small(7), 69}}));
    EXPECT_EQ(BarCounterDigits(100), (Digits{{Small(1), 37}, {Small(0), 53}, {Small(0), 69}}));
    EXPECT_EQ(BarCounterDigits(1234), (Digits{{Small(1), 21}, {Small(2), 37}, {Small(3), 53}, {Small(4), 69}}));
    EXPECT_EQ(TempoDigits(99, true), (Digits{{Large(9), 480}, {Large(9), 534}}));
    EXPECT_EQ(TempoDigits(300, true), (Digits{{Large(3), 430}, {Large(0), 480}, {Large(0), 534}}));

    for (const auto& [beat_no, digit] : {std::pair{0, 0}, {1, 2}, {5, 6}, {6, 0}}) {
        MetronomeView v = View(kKindNormal);
        v.beat_no = beat_no;
        v.pressed_button = 21;
        const Items items = MetronomeScreenItems(v).items;
        EXPECT_EQ(Items(items.begin() + 2, items.begin() + 5),
                  (Items{D::Keyed(Large(digit), 135, 0), D::Opaque(52, 75, 10), D::Opaque(57, 177, 10)}))
            << beat_no;
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
        // Upright while running sin x 90 truncates to 89, one pixel above the resting weight.
        {18, 120, true, 317, 159, 300, 218},
        {0, 120, false, 85, 388, 54, 460},    // at rest the weight only slides straight down
        {9, 120, true, 152, 224, 181, 251},   // 135 degrees: cos and sin both 0.707, truncated towards zero
        {36, 120, true, 317, 388, 430, 370},  // rod lying to the right: the weight slides left to the pivot
        {0, 120, true, 85, 388, 143, 370},    // the angle falls just short of pi: cos x 90 truncates to -89
    };
    for (const auto& c : cases) {
        MetronomeView v = View(kKindNormal);
        v.rod_position = c.rod;
        v.tempo = c.tempo;
        v.power_on = c.running;
        const Items items = MetronomeScreenItems(v).items;
        EXPECT_EQ(
            Items(items.begin() + 8, items.begin() + 10),
            (Items{D::Keyed(kImageRodFirst + c.rod, c.rod_x, c.rod_y), D::Keyed(kImageWeightFirst + c.rod, c.x, c.y)}))
            << "rod " << c.rod << " tempo " << c.tempo;
    }
}

TEST(MetronomeLayout, TopRowKindsAndIdleConductor) {
    const Items expected = {D::Opaque(kImageTempo, 250, 5),    D::Opaque(53, 370, 10),     D::Opaque(56, 575, 10),
                            D::Keyed(Large(1), 430, 5),        D::Keyed(Large(2), 480, 5), D::Keyed(Large(0), 534, 5),
                            D::Opaque(kImageConductor, 0, 130)};
    MetronomeView v = View(kKindConductor);
    v.pressed_button = 30;
    EXPECT_EQ(Tail(v), expected);
    v.kind = 7;
    EXPECT_EQ(Tail(v), Items{}) << "a kind outside the four draws only the bar controls";
}

TEST(MetronomeLayout, CellRows) {
    for (const auto& [beat_no, xs] : {std::pair<int, std::vector<int>>{3, {120, 220, 320, 420}},
                                      {0, {220, 320}},
                                      {5, {20, 120, 220, 320, 420, 520}},
                                      {6, {120, 220, 320, 420}}}) {  // no grouping shows four
        MetronomeView signal = View(kKindSignal), ball = View(kKindBall);
        signal.beat_no = ball.beat_no = beat_no;
        Items expected_lamps, expected_balls;
        for (int x : xs) {
            expected_lamps.push_back(D::Opaque(kImageSignalOff, x, 150));
            // A quarter-size shadow centred below each resting ball.
            expected_balls.push_back(D::Scaled(kImageShadow, x + 37, 420, 25, 5));
            expected_balls.push_back(D::Opaque(kImageBallFirst, x, 150));
        }
        EXPECT_EQ(Tail(signal, 6), expected_lamps) << beat_no;
        EXPECT_EQ(Tail(ball, 6), expected_balls) << beat_no;
    }
    // Running, the lamp of the current beat is lit.
    MetronomeView v = View(kKindSignal);
    v.power_on = true;
    v.beat_index = 2;
    EXPECT_EQ(Tail(v, 6), (Items{D::Opaque(kImageSignalOff, 120, 150), D::Opaque(kImageSignalOff, 220, 150),
                                 D::Opaque(kImageSignalOn, 320, 150), D::Opaque(kImageSignalOff, 420, 150)}));
}

TEST(MetronomeLayout, BallFallsAndRisesWithItsShadow) {
    // tempo, rod -> ball y, shadow x offset, width, height.
    // 120 bpm swings over rods 5..31 in 27 steps of 420 / 27 = 15 time units; 300 bpm over 16..20.
    const std::array<int, 6> cases[] = {
        {120, 5, 150, 33, 33, 6},                                // the beat: highest, smallest shadow
        {120, 9, 210, 33, 33, 6},   {120, 10, 225, 25, 50, 10},  // t 60 and 75
        {120, 15, 300, 0, 100, 20}, {120, 19, 360, 0, 100, 20},  // t 150; t 210, the floor, rising from here
        {120, 24, 285, 25, 50, 10}, {120, 31, 180, 33, 33, 6},  {300, 20, 234, 25, 50, 10},
    };
    for (const auto& c : cases) {
        const BallPose p = BallPoseFor(c[1], c[0], kShadowW, kShadowH);
        EXPECT_EQ((std::array<int, 6>{c[0], c[1], p.ball_y, p.shadow_x_offset, p.shadow_width, p.shadow_height}), c);
    }
}

TEST(MetronomeLayout, RunningBallRowTurnsTheBallEachPaint) {
    MetronomeView v = View(kKindBall);
    v.power_on = true;
    v.beat_index = 1;
    v.rod_position = 10;
    const MetronomeScreen first = MetronomeScreenItems(v);
    EXPECT_EQ(first.items[kCommonItems + 6 + 2], D::Scaled(kImageShadow, 220 + 25, 430, 50, 10));
    EXPECT_EQ(first.items[kCommonItems + 6 + 3], D::Opaque(kImageBallFirst + 1, 220, 225));
    EXPECT_EQ(first.items[kCommonItems + 6 + 5], D::Opaque(kImageBallFirst, 320, 150)) << "the others rest";
    EXPECT_EQ(first.ball_frame, 1);
    v.ball_frame = first.ball_frame;
    const MetronomeScreen second = MetronomeScreenItems(v);
    EXPECT_EQ(second.ball_frame, 0);
    EXPECT_EQ(second.items[kCommonItems + 6 + 3], D::Opaque(kImageBallFirst, 220, 225));
    v.power_on = false;
    EXPECT_EQ(MetronomeScreenItems(v).ball_frame, v.ball_frame) << "stopped, nothing turns";
}

TEST(MetronomeLayout, CurrentBeatTraceGrowsWithTheRod) {
    // Four beats at 120 bpm (rods 5..31). Beat 0 runs (326, 134) -> (328, 444) -> (282, 250): its
    // first stroke is 155.003 long, its second 99.690.
    const struct {
        int beat_no, beat_index, rod, tempo;
        Segments segments;
    } cases[] = {
        {3, 0, 21, 120, {{326, 134, 326, 434}}},                        // d 150.9, still short of 155
        {3, 0, 22, 120, {{326, 134, 328, 444}, {328, 444, 324, 432}}},  // into the second stroke
        {3, 0, 30, 120, {{326, 134, 328, 444}, {328, 444, 290, 286}}},  // d 235.8, ten short of the end
        {3, 0, 31, 120, {{326, 134, 328, 444}, {328, 444, 282, 250}}},  // within ten of the end: whole
        {3, 3, 31, 120, {{572, 240, 456, 434}, {456, 434, 342, 166}}},
        {3, 4, 20, 120, {}},  // past the figure's last beat
        // Within a unit of the first stroke's end the truncated length decides: the first stroke is
        // whole and the second starts; within ten units of the beat's end the second is whole.
        {2, 0, 22, 30, {{324, 130, 200, 448}, {200, 448, 200, 448}}},   // first stroke 170.66, d 170.25
        {5, 1, 27, 176, {{302, 206, 206, 438}, {206, 438, 152, 298}}},  // 200.57 in all, d 190.009
        // Bars without grouping share the two-beat figure: beat 1 starts at (273, 19).
        {0, 1, 5, 120, {{546, 158, 546, 158}}},
        {6, 1, 5, 120, {{546, 158, 546, 158}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurrentBeatTrace(c.beat_no, c.beat_index, c.rod, c.tempo), c.segments)
            << "bar index " << c.beat_no << " beat " << c.beat_index << " rod " << c.rod;
    }
}

TEST(MetronomeLayout, ConductorLinesWhileRunning) {
    const std::vector<std::array<int, 2>> four = {{326, 134}, {328, 444}, {282, 250}, {200, 442}, {78, 256},
                                                  {304, 438}, {572, 240}, {456, 434}, {342, 166}};
    // GDI colours are 0x00BBGGRR: the trace is red, the figure grey.
    const D figure = D::Line(0xC8C8C8, 2, four);
    const Items current = {D::Line(0x0000C8, 2, {{78, 256}, {304, 438}}),
                           D::Line(0x0000C8, 2, {{304, 438}, {312, 432}})};
    MetronomeView v = View(kKindConductor);
    v.power_on = true;
    v.beat_index = 2;
    v.rod_position = 18;
    Items expected = {figure, D::Line(0x0000C8, 2, {four[0], four[1], four[2]}),
                      D::Line(0x0000C8, 2, {four[2], four[3], four[4]}), current[0], current[1]};
    EXPECT_EQ(Tail(v, 6), expected);
    v.conductor_line = 1;  // clearing finished beats leaves the figure and the current beat
    EXPECT_EQ(Tail(v, 6), (Items{figure, current[0], current[1]}));

    // A bar without grouping (digit 0) has no finished beats to trace, whatever the beat index.
    v.conductor_line = 0;
    v.beat_no = 6;
    v.beat_index = 1;
    v.rod_position = 5;
    const Items lines = Tail(v, 6);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points.size(), 5u) << "the two-beat figure";
    EXPECT_EQ(lines[1].points.front(), (std::array<int, 2>{546, 158}));
}

TEST(MetronomeLayout, WeightBoxesAtBothSizes) {
    // Hit box, rod upright: 300 < x < 342 and 129 < y < 192 at 30 bpm, sliding down with the tempo to
    // 399 < y < 462 at 300. Half size halves each bound: 150 < x < 171, 64 < y < 96 at 30 bpm, and at
    // 31 bpm 130 and 193 halve to 65 and 96. Rod position 0 at 120: 54 < x < 96, 460 < y < 523.
    // rod, tempo, size, x, y, hit
    const std::array<int, 6> hits[] = {
        {18, 30, 0, 301, 130, 1}, {18, 30, 0, 341, 191, 1}, {18, 30, 0, 300, 150, 0},  {18, 30, 0, 342, 150, 0},
        {18, 30, 0, 320, 129, 0}, {18, 30, 0, 320, 192, 0}, {18, 300, 0, 320, 400, 1}, {18, 300, 0, 320, 399, 0},
        {18, 30, 1, 151, 65, 1},  {18, 30, 1, 170, 95, 1},  {18, 30, 1, 150, 80, 0},   {18, 30, 1, 160, 96, 0},
        {18, 31, 1, 160, 65, 0},  {18, 31, 1, 160, 66, 1},  {0, 120, 0, 60, 470, 1},   {0, 120, 0, 320, 220, 0}};
    for (const auto& c : hits) {
        EXPECT_EQ(WeightHit(c[0], c[1], c[2], c[3], c[4]), c[5] != 0)
            << "rod " << c[0] << " tempo " << c[1] << " size " << c[2] << " at " << c[3] << "," << c[4];
    }
    // The drag column, rod upright: 300 < x < 342, 129 < y < 399, halved at half size.
    // rod, size, x, y, inside
    const std::array<int, 5> drags[] = {{18, 0, 301, 130, 1}, {18, 0, 341, 398, 1}, {18, 0, 300, 200, 0},
                                        {18, 0, 342, 200, 0}, {18, 0, 320, 129, 0}, {18, 0, 320, 399, 0},
                                        {18, 1, 151, 65, 1},  {18, 1, 170, 198, 1}, {18, 1, 150, 100, 0},
                                        {18, 1, 160, 199, 0}, {0, 0, 60, 300, 1},   {0, 0, 320, 300, 0}};
    for (const auto& c : drags) {
        EXPECT_EQ(WeightDragArea(c[0], c[1], c[2], c[3]), c[4] != 0)
            << "rod " << c[0] << " size " << c[1] << " at " << c[2] << "," << c[3];
    }
}

}  // namespace
