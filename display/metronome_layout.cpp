// Metronome screen rules: readouts, pendulum, conductor trace, ball row, lamps and the weight's boxes.
#include "display/metronome_layout.h"

#include <algorithm>
#include <cmath>

#include "display/image_ids.h"
#include "display/metronome_tables.h"

namespace {

using metronome_tables::Point;

constexpr int kWeightWidth = 42;
using metronome_tables::kCellY;
using metronome_tables::kShadowRestY;
using metronome_tables::kShadowRunY;
constexpr int kDropHeight = 420;  // one beat of the ball: 210 pixels down to the floor and back up

// The figure for a bar of n beats; bars of 0 or 1 beats borrow the two-beat figure.
struct Figure {
    const Point* points;
    int beats;
};

Figure FigureFor(int n) {
    using namespace metronome_tables;
    switch (n) {
        case 3: return {kConductThree, 3};
        case 4: return {kConductFour, 4};
        case 5: return {kConductFive, 5};
        case 6: return {kConductSix, 6};
        default: return {kConductTwo, 2};
    }
}

std::array<int, 2> OnScreen(const Point& p) {
    return {2 * p.x, 2 * p.y + 120};
}
std::array<int, 2> OnScreen(double x, double y) {
    return {2 * static_cast<int>(x), 2 * static_cast<int>(y) + 120};
}

// Painted up/down buttons: 52/56 released, 53/57 pressed.
int DownButton(bool pressed) {
    return kImageStepButtonFirst + 2 + (pressed ? 1 : 0);
}
int UpButton(bool pressed) {
    return kImageStepButtonFirst + 6 + (pressed ? 1 : 0);
}

int ClampRod(int p) {
    return std::clamp(p, 0, metronome_tables::kRodPositions - 1);
}

void AddDigits(std::vector<MetronomeDraw>& out, const std::vector<std::array<int, 2>>& digits, int y) {
    for (const auto& d : digits) out.push_back(MetronomeDraw::Keyed(d[0], d[1], y));
}

void AddPendulum(std::vector<MetronomeDraw>& out, const MetronomeView& v) {
    int p = ClampRod(v.rod_position);
    out.push_back(MetronomeDraw::Keyed(kImageRodFirst + p, metronome_tables::kRod[p][0], metronome_tables::kRod[p][1]));
    std::array<int, 2> w = metronome_tables::WeightSpot(p, v.tempo, v.power_on);
    out.push_back(MetronomeDraw::Keyed(kImageWeightFirst + p, w[0], w[1]));
}

void AddConductorLines(std::vector<MetronomeDraw>& out, const MetronomeView& v) {
    int n = metronome_tables::BeatsPerBar(v.beat_no);
    Figure figure = FigureFor(n);
    std::vector<std::array<int, 2>> whole;
    for (int k = 0; k <= 2 * figure.beats; ++k) whole.push_back(OnScreen(figure.points[k]));
    out.push_back(MetronomeDraw::Line(kConductorFigureColour, kConductorPenWidth, whole));
    // Beats already conducted in this bar stay traced, unless the figure is to show only the current one.
    for (int i = 0; v.conductor_line != 1 && i < n && i != v.beat_index; ++i) {
        out.push_back(MetronomeDraw::Line(
            kConductorTraceColour, kConductorPenWidth,
            {OnScreen(figure.points[2 * i]), OnScreen(figure.points[2 * i + 1]), OnScreen(figure.points[2 * i + 2])}));
    }
    for (const auto& s : CurrentBeatTrace(v.beat_no, v.beat_index, v.rod_position, v.tempo)) {
        out.push_back(MetronomeDraw::Line(kConductorTraceColour, kConductorPenWidth, {{s[0], s[1]}, {s[2], s[3]}}));
    }
}

// A resting ball: the smallest shadow on the floor, the ball at the top of its cell.
void AddRestingBall(std::vector<MetronomeDraw>& out, const MetronomeView& v, int x, int shadow_y) {
    int w = v.shadow_width, h = v.shadow_height;
    out.push_back(MetronomeDraw::Scaled(kImageShadow, x + (3 * w / 4) / 2, shadow_y, w / 4, h / 4));
    out.push_back(MetronomeDraw::Opaque(kImageBallFirst, x, kCellY));
}

int AddBallRow(std::vector<MetronomeDraw>& out, const MetronomeView& v) {
    int frame = v.ball_frame;
    int cells = CellCount(v.beat_no);
    for (int i = 0; i < cells; ++i) {
        int x = CellX(cells, i);
        if (!v.power_on) {
            AddRestingBall(out, v, x, kShadowRestY);
        } else if (i != v.beat_index) {
            AddRestingBall(out, v, x, kShadowRunY);
        } else {
            frame = frame ? 0 : 1;  // the ball turns from paint to paint while it moves
            BallPose pose = BallPoseFor(v.rod_position, v.tempo, v.shadow_width, v.shadow_height);
            out.push_back(MetronomeDraw::Scaled(kImageShadow, x + pose.shadow_x_offset, kShadowRunY, pose.shadow_width,
                                                pose.shadow_height));
            out.push_back(MetronomeDraw::Opaque(kImageBallFirst + frame, x, pose.ball_y));
        }
    }
    return frame;
}

}  // namespace

MetronomeDraw MetronomeDraw::Keyed(int id, int x, int y) {
    MetronomeDraw d;
    d.kind = kKeyed;
    d.id = id;
    d.x = x;
    d.y = y;
    return d;
}

MetronomeDraw MetronomeDraw::Opaque(int id, int x, int y) {
    MetronomeDraw d = Keyed(id, x, y);
    d.kind = kOpaque;
    return d;
}

MetronomeDraw MetronomeDraw::Scaled(int id, int x, int y, int width, int height) {
    MetronomeDraw d = Keyed(id, x, y);
    d.kind = kScaled;
    d.width = width;
    d.height = height;
    return d;
}

MetronomeDraw MetronomeDraw::Line(unsigned colour, int pen_width, std::vector<std::array<int, 2>> points) {
    MetronomeDraw d;
    d.kind = kLine;
    d.colour = colour;
    d.pen_width = pen_width;
    d.points = std::move(points);
    return d;
}

bool MetronomeDraw::operator==(const MetronomeDraw& o) const {
    return kind == o.kind && id == o.id && x == o.x && y == o.y && width == o.width && height == o.height &&
           colour == o.colour && pen_width == o.pen_width && points == o.points;
}

std::vector<std::array<int, 2>> BarCounterDigits(int bar_count) {
    std::vector<std::array<int, 2>> out;
    if (bar_count <= 0) return out;
    if (bar_count >= 1000) out.push_back({kImageSmallDigitFirst + bar_count / 1000 % 10, 21});
    if (bar_count >= 100) out.push_back({kImageSmallDigitFirst + bar_count / 100 % 10, 37});
    if (bar_count >= 10) out.push_back({kImageSmallDigitFirst + bar_count / 10 % 10, 53});
    out.push_back({kImageSmallDigitFirst + bar_count % 10, 69});
    return out;
}

std::vector<std::array<int, 2>> TempoDigits(int tempo, bool large) {
    int first = large ? kImageLargeDigitFirst : kImageSmallDigitFirst;
    const int x[3] = {large ? 430 : 296, large ? 480 : 312, large ? 534 : 328};
    std::vector<std::array<int, 2>> out;
    if (tempo >= 100) out.push_back({first + tempo / 100 % 10, x[0]});
    if (tempo >= 10) out.push_back({first + tempo / 10 % 10, x[1]});
    out.push_back({first + (tempo % 10 + 10) % 10, x[2]});
    return out;
}

int CellCount(int beat_no) {
    int n = metronome_tables::BeatsPerBar(beat_no);
    return n == 0 ? 4 : n;
}

int CellX(int cells, int i) {
    return 320 - 50 * cells + 100 * i;
}

BallPose BallPoseFor(int rod_position, int tempo, int shadow_width, int shadow_height) {
    metronome_tables::SwingRange swing = metronome_tables::SwingFor(tempo);
    int t = (kDropHeight / (swing.hi - swing.lo + 1)) * (rod_position - swing.lo);
    int divisor;
    BallPose pose{};
    // The shadow grows as the ball comes down to the floor and shrinks as it rises again.
    if (t < kDropHeight / 2) {
        divisor = t < 70 ? 3 : (t < 140 ? 2 : 1);
        pose.ball_y = kCellY + t;
    } else {
        int u = t - kDropHeight / 2;
        divisor = u < 70 ? 1 : (u < 140 ? 2 : 3);
        pose.ball_y = 570 - t;
    }
    pose.shadow_x_offset = divisor == 1 ? 0 : (divisor == 2 ? (shadow_width / 2) / 2 : (2 * shadow_width / 3) / 2);
    pose.shadow_width = shadow_width / divisor;
    pose.shadow_height = shadow_height / divisor;
    return pose;
}

std::vector<std::array<int, 4>> CurrentBeatTrace(int beat_no, int beat_index, int rod_position, int tempo) {
    std::vector<std::array<int, 4>> out;
    Figure figure = FigureFor(metronome_tables::BeatsPerBar(beat_no));
    if (beat_index < 0 || beat_index >= figure.beats) return out;
    const Point& a = figure.points[2 * beat_index];
    const Point& b = figure.points[2 * beat_index + 1];
    const Point& c = figure.points[2 * beat_index + 2];
    double m = std::hypot(b.x - a.x, b.y - a.y);
    double s2 = std::hypot(c.x - b.x, c.y - b.y);
    metronome_tables::SwingRange swing = metronome_tables::SwingFor(tempo);
    // How far along the beat's two strokes the baton is, in figure units.
    double d = (m + s2) / (swing.hi - swing.lo + 1) * (rod_position - swing.lo);
    std::array<int, 2> from = OnScreen(a);
    std::array<int, 2> to = OnScreen(b);
    if (std::trunc(m) > d) {
        double f = d / m;
        to = OnScreen(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f);
    }
    out.push_back({from[0], from[1], to[0], to[1]});
    if (d > std::trunc(m)) {
        from = OnScreen(b);
        to = OnScreen(c);
        // Near the end of the beat the second stroke is drawn whole, so the figure closes before the click.
        if (d <= std::trunc(m + s2) - 10) {
            double f = (d - m) / s2;
            to = OnScreen(b.x + (c.x - b.x) * f, b.y + (c.y - b.y) * f);
        }
        out.push_back({from[0], from[1], to[0], to[1]});
    }
    return out;
}

bool WeightHit(int rod_position, int tempo, int screen_size, int x, int y) {
    const auto& w = metronome_tables::kWeight[ClampRod(rod_position)];
    int left = w[0], right = w[0] + kWeightWidth;
    int top = w[1] + tempo - 30, bottom = w[1] + tempo + 33;
    if (screen_size != 0) left /= 2, right /= 2, top /= 2, bottom /= 2;
    return left < x && x < right && top < y && y < bottom;
}

bool WeightDragArea(int rod_position, int screen_size, int x, int y) {
    const auto& w = metronome_tables::kWeight[ClampRod(rod_position)];
    if (screen_size == 0) return w[0] < x && x < w[0] + kWeightWidth && 130 <= y && y <= 398;
    return w[0] / 2 < x && x < (w[0] + kWeightWidth) / 2 && 65 <= y && y <= 198;
}

MetronomeScreen MetronomeScreenItems(const MetronomeView& v) {
    MetronomeScreen screen;
    screen.ball_frame = v.ball_frame;
    std::vector<MetronomeDraw>& out = screen.items;
    out.reserve(48);
    out.push_back(MetronomeDraw::Keyed(kImageBeat, 5, 10));
    out.push_back(MetronomeDraw::Keyed(kImageMeasure, 5, 60));
    int beat_no = (v.beat_no >= 0 && v.beat_no <= 6) ? v.beat_no : 0;
    out.push_back(MetronomeDraw::Keyed(kImageLargeDigitFirst + metronome_tables::kBarDigit[beat_no], 135, 0));
    out.push_back(MetronomeDraw::Opaque(DownButton(v.pressed_button == 20), 75, 10));
    out.push_back(MetronomeDraw::Opaque(UpButton(v.pressed_button == 21), 177, 10));
    AddDigits(out, BarCounterDigits(v.bar_count), 100);

    if (v.kind == kKindNormal) {
        out.push_back(MetronomeDraw::Opaque(kImageMetronomeBody, metronome_tables::kBodyX, metronome_tables::kBodyY));
        out.push_back(MetronomeDraw::Opaque(DownButton(v.pressed_button == 2), metronome_tables::kBodyTempoDownX,
                                            metronome_tables::kBodyTempoY));
        out.push_back(MetronomeDraw::Opaque(UpButton(v.pressed_button == 4), metronome_tables::kBodyTempoUpX,
                                            metronome_tables::kBodyTempoY));
        AddPendulum(out, v);
        AddDigits(out, TempoDigits(v.tempo, false), 102);
        return screen;
    }
    if (v.kind < kKindConductor || v.kind > kKindSignal) return screen;

    out.push_back(MetronomeDraw::Opaque(kImageTempo, metronome_tables::kTempoLabelX, metronome_tables::kTempoLabelY));
    out.push_back(MetronomeDraw::Opaque(DownButton(v.pressed_button == 30), metronome_tables::kTopTempoDownX,
                                        metronome_tables::kTopTempoY));
    out.push_back(MetronomeDraw::Opaque(UpButton(v.pressed_button == 31), metronome_tables::kTopTempoUpX,
                                        metronome_tables::kTopTempoY));
    AddDigits(out, TempoDigits(v.tempo, true), 5);
    switch (v.kind) {
        case kKindConductor:
            if (v.power_on) {
                AddConductorLines(out, v);
            } else {
                out.push_back(MetronomeDraw::Opaque(kImageConductor, metronome_tables::kConductorX,
                                                    metronome_tables::kConductorY));
            }
            break;
        case kKindBall: screen.ball_frame = AddBallRow(out, v); break;
        default: {
            int cells = CellCount(v.beat_no);
            for (int i = 0; i < cells; ++i) {
                bool lit = v.power_on && i == v.beat_index;
                out.push_back(MetronomeDraw::Opaque(lit ? kImageSignalOn : kImageSignalOff, CellX(cells, i), kCellY));
            }
        }
    }
    return screen;
}
