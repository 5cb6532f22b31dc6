// Metronome screen rules that the reference pictures (every kind at rest) don't show: readouts of
// other values, the swinging pendulum, the running ball and lamp rows, and the conductor's trace.
#include "display/metronome_layout.h"

#include <gtest/gtest.h>

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
using Digits = std::vector<std::array<int, 2>>;

constexpr int kShadowW = 100, kShadowH = 20;
constexpr int kRowStart = 5 + 6;  // the bar controls and the top row come before a kind's own items

int Small(int digit) {
    return kImageSmallDigitFirst + digit;
}
int Large(int digit) {
    return kImageLargeDigitFirst + digit;
}

MetronomeView View(int kind, bool running = false) {
    MetronomeView v;
    v.kind = kind;
    v.beat_no = 3;
    v.power_on = running;
    v.shadow_width = kShadowW;
    v.shadow_height = kShadowH;
    return v;
}

Items From(const MetronomeView& v, size_t first) {
    const Items items = MetronomeScreenItems(v).items;
    return Items(items.begin() + std::min(first, items.size()), items.end());
}

TEST(MetronomeLayout, ReadoutsLeaveOutLeadingZerosAndTheFilesSixShowsNoGrouping) {
    EXPECT_EQ(BarCounterDigits(0), Digits{});
    EXPECT_EQ(BarCounterDigits(1234), (Digits{{Small(1), 21}, {Small(2), 37}, {Small(3), 53}, {Small(4), 69}}));
    EXPECT_EQ(TempoDigits(99, true), (Digits{{Large(9), 480}, {Large(9), 534}}));
    EXPECT_EQ(TempoDigits(300, true), (Digits{{Large(3), 430}, {Large(0), 480}, {Large(0), 534}}));
    for (const auto& [beat_no, digit] : {std::pair{0, 0}, {5, 6}, {6, 0}}) {
        MetronomeView v = View(kKindNormal);
        v.beat_no = beat_no;
        EXPECT_EQ(MetronomeScreenItems(v).items[2], D::Keyed(Large(digit), 135, 0)) << beat_no;
    }
}

TEST(MetronomeLayout, PendulumFollowsTempoAndSwing) {
    const struct {
        int rod, tempo;
        bool running;
        int rod_x, rod_y, x, y;  // rod picture, then weight picture
    } cases[] = {
        {18, 30, false, 317, 159, 300, 129},   // at rest the weight slides down with the tempo
        {18, 300, false, 317, 159, 300, 399},  //
        {9, 120, true, 152, 224, 181, 251},    // 135 degrees: cos and sin both 0.707, truncated towards zero
        {36, 120, true, 317, 388, 430, 370},   // rod lying to the right: the weight slides left to the pivot
    };
    for (const auto& c : cases) {
        MetronomeView v = View(kKindNormal, c.running);
        v.rod_position = c.rod;
        v.tempo = c.tempo;
        const Items items = MetronomeScreenItems(v).items;
        EXPECT_EQ(
            Items(items.begin() + 8, items.begin() + 10),
            (Items{D::Keyed(kImageRodFirst + c.rod, c.rod_x, c.rod_y), D::Keyed(kImageWeightFirst + c.rod, c.x, c.y)}))
            << "rod " << c.rod << " tempo " << c.tempo;
    }
}

TEST(MetronomeLayout, CellRowsFollowTheBarLengthAndTheCurrentBeatLights) {
    for (const auto& [beat_no, cells] : {std::pair{0, 2}, {5, 6}, {6, 4}}) EXPECT_EQ(CellCount(beat_no), cells);
    EXPECT_EQ(CellX(6, 0), 20);
    MetronomeView v = View(kKindSignal, true);
    v.beat_index = 2;
    EXPECT_EQ(From(v, kRowStart), (Items{D::Opaque(kImageSignalOff, 120, 150), D::Opaque(kImageSignalOff, 220, 150),
                                         D::Opaque(kImageSignalOn, 320, 150), D::Opaque(kImageSignalOff, 420, 150)}));
}

TEST(MetronomeLayout, BallFallsAndRisesWithItsShadow) {
    // tempo, rod -> ball y, shadow x offset, width, height. 120 bpm swings over rods 5..31.
    const std::array<int, 6> cases[] = {
        {120, 5, 150, 33, 33, 6},    // the beat: highest, smallest shadow
        {120, 19, 360, 0, 100, 20},  // the floor, rising from here
        {120, 24, 285, 25, 50, 10},
        {300, 20, 234, 25, 50, 10},
    };
    for (const auto& c : cases) {
        const BallPose p = BallPoseFor(c[1], c[0], kShadowW, kShadowH);
        EXPECT_EQ((std::array<int, 6>{c[0], c[1], p.ball_y, p.shadow_x_offset, p.shadow_width, p.shadow_height}), c);
    }
}

TEST(MetronomeLayout, RunningBallRowTurnsTheBallEachPaint) {
    MetronomeView v = View(kKindBall, true);
    v.beat_index = 1;
    v.rod_position = 10;
    const MetronomeScreen first = MetronomeScreenItems(v);
    EXPECT_EQ(first.items[kRowStart + 2], D::Scaled(kImageShadow, 220 + 25, 430, 50, 10));
    EXPECT_EQ(first.items[kRowStart + 3], D::Opaque(kImageBallFirst + 1, 220, 225));
    EXPECT_EQ(first.items[kRowStart + 5], D::Opaque(kImageBallFirst, 320, 150)) << "the others rest";
    v.ball_frame = first.ball_frame;
    EXPECT_EQ(MetronomeScreenItems(v).items[kRowStart + 3], D::Opaque(kImageBallFirst, 220, 225));
    v.power_on = false;
    EXPECT_EQ(MetronomeScreenItems(v).ball_frame, v.ball_frame) << "stopped, nothing turns";
}

TEST(MetronomeLayout, CurrentBeatTraceGrowsWithTheRod) {
    // Four beats at 120 bpm (rods 5..31). Beat 0 runs (326, 134) -> (328, 444) -> (282, 250): its
    // first stroke is 155.003 long, its second 99.690.
    const struct {
        int beat_no, beat_index, rod, tempo;
        std::vector<std::array<int, 4>> segments;
    } cases[] = {
        {3, 0, 21, 120, {{326, 134, 326, 434}}},                        // d 150.9, still short of 155
        {3, 0, 22, 120, {{326, 134, 328, 444}, {328, 444, 324, 432}}},  // into the second stroke
        {3, 0, 30, 120, {{326, 134, 328, 444}, {328, 444, 290, 286}}},  // d 235.8, ten short of the end
        {3, 0, 31, 120, {{326, 134, 328, 444}, {328, 444, 282, 250}}},  // within ten of the end: whole
        {3, 4, 20, 120, {}},                                            // past the figure's last beat
        // Within a unit of the first stroke's end the truncated length decides.
        {2, 0, 22, 30, {{324, 130, 200, 448}, {200, 448, 200, 448}}},  // first stroke 170.66, d 170.25
        {6, 1, 5, 120, {{546, 158, 546, 158}}},                        // no grouping: the two-beat figure
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurrentBeatTrace(c.beat_no, c.beat_index, c.rod, c.tempo), c.segments)
            << "bar index " << c.beat_no << " beat " << c.beat_index << " rod " << c.rod;
    }
}

TEST(MetronomeLayout, ConductorTracesFinishedBeatsUnlessCleared) {
    const std::vector<std::array<int, 2>> four = {{326, 134}, {328, 444}, {282, 250}, {200, 442}, {78, 256},
                                                  {304, 438}, {572, 240}, {456, 434}, {342, 166}};
    const D figure = D::Line(kConductorFigureColour, 2, four);
    const Items current = {D::Line(kConductorTraceColour, 2, {{78, 256}, {304, 438}}),
                           D::Line(kConductorTraceColour, 2, {{304, 438}, {312, 432}})};
    MetronomeView v = View(kKindConductor, true);
    v.beat_index = 2;
    EXPECT_EQ(From(v, kRowStart),
              (Items{figure, D::Line(kConductorTraceColour, 2, {four[0], four[1], four[2]}),
                     D::Line(kConductorTraceColour, 2, {four[2], four[3], four[4]}), current[0], current[1]}));
    v.conductor_line = 1;
    EXPECT_EQ(From(v, kRowStart), (Items{figure, current[0], current[1]}));
}

}  // namespace
