// Draws the toolbar strip (16 images of 16 x 15, 8-bit BMP) and the program icon (16, 24, 32, 48 px).
//
// Usage: make_toolbar_art OUTDIR  -> OUTDIR/toolbar.bmp, OUTDIR/harmolab.ico
//
// Everything is drawn here from simple shapes: each shape is sampled 8 x 8 times per pixel, so edges
// are anti-aliased, and coordinates are pixel units with (0, 0) at the top-left corner of the image.
// The toolbar's background is exactly RGB(192, 192, 192): the toolbar control maps that palette entry
// to the button face and treats it as transparent.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/math_constants.h"

namespace {

constexpr int kSuper = 8;  // samples per pixel side

// ---------------------------------------------------------------------------------------------------
// Colours and the canvas

struct Colour {
    double r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied), 0..1
};

Colour Rgb(uint32_t rgb, double alpha = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Colour Mix(const Colour& a, const Colour& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// One palette for the whole program's art.
namespace pal {
const Colour kInk = Rgb(0x1B2636);    // outlines, text
const Colour kSlate = Rgb(0x4B5A70);  // neutral glyphs (switched off)
const Colour kSlateLight = Rgb(0x8592A6);
const Colour kWhite = Rgb(0xFEFEFE);
const Colour kCream = Rgb(0xFFF8E6);
const Colour kBlue = Rgb(0x2A6BD4);
const Colour kBlueLight = Rgb(0x78ACF2);
const Colour kBlueDark = Rgb(0x17428F);
const Colour kGreen = Rgb(0x1FAF4A);
const Colour kGreenLight = Rgb(0x8DF0A6);
const Colour kGreenDark = Rgb(0x0F7231);
const Colour kYellow = Rgb(0xF6D21E);
const Colour kAmber = Rgb(0xF29E12);
const Colour kAmberDark = Rgb(0xA86400);
const Colour kRed = Rgb(0xDE3B2F);
const Colour kWood = Rgb(0xB8702C);
const Colour kWoodLight = Rgb(0xE3A45E);
const Colour kWoodDark = Rgb(0x6E3C12);
const Colour kTileTop = Rgb(0xEAF3FF);
const Colour kTileBottom = Rgb(0xAACDF6);
const Colour kTileEdge = Rgb(0x2F6FD0);
const Colour kToolbarGrey = Rgb(0xC0C0C0);
}  // namespace pal

struct Canvas {
    int w = 0, h = 0;
    std::vector<Colour> px;  // premultiplied

    Canvas(int width, int height, const Colour& fill) : w(width), h(height), px(width * height) {
        for (auto& p : px) p = {fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a};
    }
    Colour& At(int x, int y) { return px[y * w + x]; }
};

using Shape = std::function<bool(double, double)>;
using Paint = std::function<Colour(double, double)>;

Paint Solid(const Colour& c) {
    return [c](double, double) { return c; };
}

// Vertical gradient between y0 (colour a) and y1 (colour b).
Paint VGradient(const Colour& a, const Colour& b, double y0, double y1) {
    return [=](double, double y) { return Mix(a, b, (y - y0) / (y1 - y0)); };
}

// Composites `paint` over the canvas wherever `shape` covers it.
void Fill(Canvas& c, const Shape& shape, const Paint& paint, double opacity = 1.0) {
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSuper; ++sy) {
                for (int sx = 0; sx < kSuper; ++sx) {
                    if (shape(x + (sx + 0.5) / kSuper, y + (sy + 0.5) / kSuper)) ++hits;
                }
            }
            if (hits == 0) continue;
            Colour s = paint(x + 0.5, y + 0.5);
            double a = s.a * opacity * hits / double(kSuper * kSuper);
            Colour& d = c.At(x, y);
            d.r = s.r * a + d.r * (1 - a);
            d.g = s.g * a + d.g * (1 - a);
            d.b = s.b * a + d.b * (1 - a);
            d.a = a + d.a * (1 - a);
        }
    }
}

void Fill(Canvas& c, const Shape& shape, const Colour& colour, double opacity = 1.0) {
    Fill(c, shape, Solid(colour), opacity);
}

// Hand-placed pixels: each character of `rows` that appears in `inks` paints one pixel at (x0, y0) + offset.
void Sprite(Canvas& c, int x0, int y0, const std::vector<std::string>& rows, const std::map<char, Colour>& inks) {
    for (size_t j = 0; j < rows.size(); ++j) {
        for (size_t i = 0; i < rows[j].size(); ++i) {
            auto it = inks.find(rows[j][i]);
            int x = x0 + int(i), y = y0 + int(j);
            if (it == inks.end() || x < 0 || y < 0 || x >= c.w || y >= c.h) continue;
            const Colour& s = it->second;
            Colour& d = c.At(x, y);
            d = {s.r * s.a + d.r * (1 - s.a), s.g * s.a + d.g * (1 - s.a), s.b * s.a + d.b * (1 - s.a),
                 s.a + d.a * (1 - s.a)};
        }
    }
}

// A one-pixel line from pixel (x0, y0) to pixel (x1, y1), without smoothing: crisp at toolbar size.
void PixelLine(Canvas& c, int x0, int y0, int x1, int y1, const Colour& colour) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Sprite(c, x0, y0, {"#"}, {{'#', colour}});
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

// ---------------------------------------------------------------------------------------------------
// Shapes

Shape Circle(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ellipse(double cx, double cy, double rx, double ry, double degrees) {
    double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    return [=](double x, double y) {
        double u = (x - cx) * c + (y - cy) * s, v = -(x - cx) * s + (y - cy) * c;
        return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0;
    };
}

// Angle of (x, y) around (cx, cy) in degrees, 0 to the right, 90 straight up (screen y grows down).
double AngleAround(double cx, double cy, double x, double y) {
    double a = std::atan2(cy - y, x - cx) * 180 / kPi;
    return a < 0 ? a + 360 : a;
}

// Ring between radii r0 and r1, limited to the angles from a0 to a1 (degrees, counter-clockwise).
Shape Arc(double cx, double cy, double r0, double r1, double a0, double a1) {
    return [=](double x, double y) {
        double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (d2 < r0 * r0 || d2 > r1 * r1) return false;
        double a = AngleAround(cx, cy, x, y);
        double lo = std::fmod(a0 + 720, 360), span = a1 - a0;
        double rel = std::fmod(a - lo + 720, 360);
        return rel <= span;
    };
}

// A stroke of half-width hw from (x0, y0) to (x1, y1) with round ends.
Shape Line(double x0, double y0, double x1, double y1, double hw) {
    return [=](double x, double y) {
        double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= hw * hw;
    };
}

Shape Rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double r) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

Shape Polygon(std::vector<std::array<double, 2>> pts) {
    return [pts](double x, double y) {
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            double xi = pts[i][0], yi = pts[i][1], xj = pts[j][0], yj = pts[j][1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    };
}

Shape Union(Shape a, Shape b) {
    return [a, b](double x, double y) { return a(x, y) || b(x, y); };
}
Shape Minus(Shape a, Shape b) {
    return [a, b](double x, double y) { return a(x, y) && !b(x, y); };
}
Shape Intersect(Shape a, Shape b) {
    return [a, b](double x, double y) { return a(x, y) && b(x, y); };
}

// The rim of a rounded rectangle, `t` wide.
Shape RoundFrame(double x0, double y0, double x1, double y1, double r, double t) {
    return Minus(RoundRect(x0, y0, x1, y1, r), RoundRect(x0 + t, y0 + t, x1 - t, y1 - t, std::max(0.0, r - t)));
}

// ---------------------------------------------------------------------------------------------------
// Toolbar images, 16 x 15 each

constexpr int kCellW = 16, kCellH = 15;

// The "active" backdrop: a pale blue, slightly sunken tile with a blue rim.
void ActiveTile(Canvas& c) {
    Fill(c, RoundRect(0, 0, 16, 15, 3), VGradient(pal::kTileTop, pal::kTileBottom, 0, 15));
    Fill(c, RoundFrame(1, 1, 15, 14, 2.2, 1), Rgb(0x5E7FA8), 0.35);  // inner shadow: sunken look
    Fill(c, RoundFrame(0, 0, 16, 15, 3, 1), pal::kTileEdge);
}

void PowerGlyph(Canvas& c, bool on) {
    const double cx = 8, cy = 8.2;
    if (on) ActiveTile(c);
    Colour top = on ? Rgb(0x5EE07E) : pal::kSlateLight;
    Colour bottom = on ? pal::kGreen : pal::kSlate;
    Colour dark = on ? pal::kGreenDark : pal::kInk;
    Shape ring = Arc(cx, cy, 3.6, 5.4, 125, 415);
    Shape bar = Line(cx, 2.3, cx, 7.6, 0.95);
    // A darker shadow under the glyph, then the glyph: reads as slightly raised.
    Fill(
        c, [&](double x, double y) { return ring(x, y - 0.7) || bar(x, y - 0.7); }, dark, on ? 0.8 : 0.55);
    Fill(c, Union(ring, bar), VGradient(top, bottom, 2, 13));
}

void PauseGlyph(Canvas& c, bool paused) {
    if (paused) ActiveTile(c);
    Colour top = paused ? Rgb(0xFFD56A) : pal::kSlateLight;
    Colour bottom = paused ? pal::kAmber : pal::kSlate;
    Colour edge = paused ? pal::kAmberDark : Rgb(0x344056);
    for (double x0 : {4.0, 9.0}) {
        Fill(c, RoundRect(x0, 2.5, x0 + 3, 12.5, 0.9), edge);
        Fill(c, RoundRect(x0 + 0.8, 3.3, x0 + 2.2, 11.7, 0.5), VGradient(top, bottom, 3, 12));
    }
}

// Bars coloured like the analyser itself: green at the bottom, yellow, red at the top.
Colour SpectrumColour(double y) {
    double t = (13.0 - y) / 11.0;  // 0 at the baseline, 1 at the top
    if (t < 0.5) return Mix(pal::kGreen, pal::kYellow, t / 0.5);
    return Mix(pal::kYellow, pal::kRed, (t - 0.5) / 0.5);
}

void SpectrumGlyph(Canvas& c, bool active) {
    if (active) ActiveTile(c);
    const int heights[5] = {5, 8, 10, 7, 4};
    for (int i = 0; i < 5; ++i) {
        int x0 = 1 + 3 * i;
        Fill(c, Rect(x0, 12 - heights[i], x0 + 2, 12), [](double, double y) { return SpectrumColour(y); });
    }
    Fill(c, Rect(1, 12, 15, 13), pal::kInk);
}

void TunerGlyph(Canvas& c, bool active) {
    if (active) ActiveTile(c);
    // Meter box: slate bezel (blue when active), cream face; the needle stands on column 8.
    Fill(c, RoundRect(2, 2, 15, 14, 2), active ? pal::kBlueDark : pal::kSlate);
    Fill(c, RoundRect(3, 3, 14, 13, 1), VGradient(pal::kWhite, pal::kCream, 3, 13));
    const double cx = 8.5, cy = 12.5;
    Fill(c, Arc(cx, cy, 6.3, 7.3, 35, 145), pal::kSlateLight);
    Fill(c, Intersect(Arc(cx, cy, 6.3, 7.3, 35, 60), Rect(0, 0, 16, 15)), pal::kRed, 0.85);
    Fill(c, Intersect(Arc(cx, cy, 6.3, 7.3, 120, 145), Rect(0, 0, 16, 15)), pal::kRed, 0.85);
    Fill(c, Arc(cx, cy, 6.0, 8.0, 78, 102), pal::kGreen);
    Fill(c, Rect(8, 4, 9, 12), pal::kRed);
    Fill(c, Intersect(Circle(cx, cy, 2.1), Rect(3, 3, 14, 13)), pal::kInk);
}

void MetronomeGlyph(Canvas& c, bool active) {
    if (active) ActiveTile(c);
    // Pyramid body with a lighter front panel and a darker base.
    Fill(c, Polygon({{{6, 1}, {11, 1}, {14.5, 14}, {2.5, 14}}}), pal::kWoodDark);
    Fill(c, Polygon({{{6.7, 2}, {10.3, 2}, {13.4, 13}, {3.6, 13}}}), VGradient(pal::kWoodLight, pal::kWood, 2, 13));
    Fill(c, Polygon({{{7, 3}, {10, 3}, {11, 10}, {6, 10}}}), pal::kCream);
    Fill(c, Rect(4, 11, 13, 13), pal::kWoodDark, 0.6);
    // Pendulum swung to the right, with its weight; the pivot sits on column 8.
    PixelLine(c, 8, 10, 11, 1, pal::kInk);
    Sprite(c, 8, 4,
           {
               ".##.",
               "#oo#",
               ".##.",
           },
           {{'#', pal::kInk}, {'o', pal::kAmber}});
    Sprite(c, 7, 10, {"###"}, {{'#', pal::kInk}});
}

void SineGlyph(Canvas& c, bool active) {
    if (active) ActiveTile(c);
    auto wave = [](double x) { return 7.5 - 4.2 * std::sin((x - 1.5) / 13.0 * 2 * kPi); };
    Shape s = [wave](double x, double y) {
        if (x < 1.2 || x > 14.8) return false;
        // distance to the curve, measured along the normal of the local slope
        double dy = y - wave(x), slope = (wave(x + 0.01) - wave(x - 0.01)) / 0.02;
        return std::abs(dy) / std::sqrt(1 + slope * slope) <= 1.15;
    };
    Fill(
        c, [s](double x, double y) { return s(x, y - 0.8); }, pal::kBlueDark, 0.35);
    Fill(c, s, VGradient(Rgb(0x4A8CEB), pal::kBlueDark, 2.5, 12.5));
}

// Two beamed eighth notes.
void NoteGlyph(Canvas& c, bool on) {
    if (on) ActiveTile(c);
    Colour ink = on ? Rgb(0x5A2FC2) : pal::kSlate;
    Colour light = on ? Rgb(0x9C7BF0) : pal::kSlateLight;
    Fill(c, Ellipse(4.4, 11.4, 2.3, 1.6, -25), ink);
    Fill(c, Ellipse(11.6, 10.2, 2.3, 1.6, -25), ink);
    Fill(c, Rect(5.8, 3.2, 6.9, 11.0), ink);
    Fill(c, Rect(13.0, 2.0, 14.1, 9.8), ink);
    Fill(c, Polygon({{{5.8, 2.6}, {14.1, 1.4}, {14.1, 3.9}, {5.8, 5.1}}}), ink);
    Fill(c, Ellipse(3.9, 10.9, 0.8, 0.45, -25), light);
    Fill(c, Ellipse(11.1, 9.7, 0.8, 0.45, -25), light);
}

// A round badge with a white letter drawn pixel by pixel.
void BadgeGlyph(Canvas& c, const std::vector<std::string>& letter, int lx, int ly) {
    const double cx = 8, cy = 7.5;
    Fill(c, Circle(cx, cy + 0.6, 7.0), pal::kInk, 0.35);
    Fill(c, Circle(cx, cy, 7.0), pal::kBlueDark);
    Fill(c, Circle(cx, cy, 6.1), VGradient(pal::kBlueLight, pal::kBlue, 1.5, 13));
    Fill(c, Ellipse(cx, cy - 3.2, 4.2, 2.2, 0), pal::kWhite, 0.25);  // gloss
    Sprite(c, lx, ly, letter, {{'#', pal::kWhite}});
}

void HelpGlyph(Canvas& c) {
    BadgeGlyph(c,
               {
                   ".####.",
                   "##..##",
                   "....##",
                   "...##.",
                   "..##..",
                   "......",
                   "..##..",
               },
               5, 4);
}

void InfoGlyph(Canvas& c) {
    BadgeGlyph(c,
               {
                   "..##..",
                   "......",
                   ".###..",
                   "..##..",
                   "..##..",
                   "..##..",
                   ".####.",
               },
               5, 4);
}

Canvas DrawToolbar() {
    Canvas strip(kCellW * 16, kCellH, pal::kToolbarGrey);
    std::vector<std::function<void(Canvas&)>> cells = {
        [](Canvas& c) { PowerGlyph(c, false); },
        [](Canvas& c) { PowerGlyph(c, true); },
        [](Canvas& c) { PauseGlyph(c, false); },
        [](Canvas& c) { PauseGlyph(c, true); },
        [](Canvas& c) { SpectrumGlyph(c, false); },
        [](Canvas& c) { SpectrumGlyph(c, true); },
        [](Canvas& c) { TunerGlyph(c, false); },
        [](Canvas& c) { TunerGlyph(c, true); },
        [](Canvas& c) { MetronomeGlyph(c, false); },
        [](Canvas& c) { MetronomeGlyph(c, true); },
        [](Canvas& c) { SineGlyph(c, false); },
        [](Canvas& c) { SineGlyph(c, true); },
        [](Canvas& c) { NoteGlyph(c, false); },
        [](Canvas& c) { NoteGlyph(c, true); },
        [](Canvas& c) { HelpGlyph(c); },
        [](Canvas& c) { InfoGlyph(c); },
    };
    for (size_t i = 0; i < cells.size(); ++i) {
        Canvas cell(kCellW, kCellH, pal::kToolbarGrey);
        cells[i](cell);
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x) strip.At(int(i) * kCellW + x, y) = cell.At(x, y);
    }
    return strip;
}

// ---------------------------------------------------------------------------------------------------
// Program icon: a blue rounded tile with a silver tuning fork sending out green sound waves.

Canvas DrawIcon(int size) {
    Canvas c(size, size, Colour{});
    const double s = size / 48.0;  // designed on a 48 x 48 grid
    auto S = [s](double v) { return v * s; };

    // Tile with a soft shadow below it and a gloss on its upper half.
    Fill(c, RoundRect(S(2), S(3.5), S(46), S(47), S(9)), Rgb(0x000000), 0.28);
    Fill(c, RoundRect(S(2), S(1.5), S(46), S(45.5), S(9)), VGradient(Rgb(0x3C86E6), Rgb(0x123A86), S(1), S(46)));
    Fill(c, RoundFrame(S(2), S(1.5), S(46), S(45.5), S(9), std::max(1.0, S(1.5))), Rgb(0x0C2B66), 0.8);
    Fill(c, Intersect(RoundRect(S(3.5), S(3), S(44.5), S(44), S(8)), Ellipse(S(24), S(2), S(30), S(17), 0)),
         pal::kWhite, 0.14);

    if (size <= 16) {
        // Too small for smooth shapes: place the pixels by hand.
        Sprite(c, 0, 0,
               {
                   "................",
                   "................",
                   ".....#o..#o.....",
                   ".....#o..#o.....",
                   "..g..#o..#o..g..",
                   ".g...#o..#o...g.",
                   ".g...#o..#o...g.",
                   "..g..#o..#o..g..",
                   ".....#o..#o.....",
                   ".....#ooooo.....",
                   "......#ooo......",
                   ".......#o.......",
                   ".......#o.......",
                   ".......#o.......",
                   "......#ooo......",
                   "................",
               },
               {{'#', pal::kWhite}, {'o', Rgb(0xC9D3E2)}, {'g', Rgb(0x6CF08E)}});
        return c;
    }

    // Sound waves on both sides of the prongs.
    const double wx = S(24), wy = S(16);
    for (double r : {11.0, 16.5}) {
        Shape right = Arc(wx, wy, S(r), S(r + 2.4), -38, 38);
        Shape left = Arc(wx, wy, S(r), S(r + 2.4), 142, 218);
        Fill(c, Union(left, right), VGradient(pal::kGreenLight, Rgb(0x2FD06A), S(4), S(28)), r < 12 ? 1.0 : 0.75);
    }

    // Tuning fork: two prongs joined by a U, and a stem with a knob.
    const double fx = S(24), gap = S(2.5), prong = S(4);
    const double top = S(6), bend = S(26), stem_end = S(43);
    Colour metal_hi = Rgb(0xFFFFFF), metal_lo = Rgb(0xB4C2D6);
    auto Metal = [&](double x, double) {
        double t = std::fmod(std::abs(x - fx) + 100 * prong, prong) / prong;  // shade across each bar
        return Mix(metal_hi, metal_lo, x < fx ? t * 0.8 : 0.3 + t * 0.7);
    };
    Shape prongs = Union(Rect(fx - gap - prong, top, fx - gap, bend), Rect(fx + gap, top, fx + gap + prong, bend));
    Shape tips = Union(Circle(fx - gap - prong / 2, top, prong / 2), Circle(fx + gap + prong / 2, top, prong / 2));
    Shape u = Intersect(Arc(fx, bend, gap, gap + prong, 180, 360), Rect(0, bend, size, size));
    Shape stem = Union(Rect(fx - S(1.8), bend + gap, fx + S(1.8), stem_end - S(2)),
                       RoundRect(fx - S(2.8), stem_end - S(6), fx + S(2.8), stem_end, S(2)));
    Shape fork = Union(Union(Union(prongs, tips), u), stem);
    Fill(
        c, [&](double x, double y) { return fork(x - S(1.2), y - S(1.2)); }, Rgb(0x06183F), 0.5);
    Fill(c, fork, Metal);
    return c;
}

// ---------------------------------------------------------------------------------------------------
// File writers

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

uint8_t ToByte(double v) {
    return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

using Rgb8 = std::array<uint8_t, 3>;

// The toolbar control maps these exact colours to system colours (button text, shadow, face,
// highlight); only the background may use one of them.
Rgb8 AvoidMappedColours(Rgb8 c) {
    for (uint8_t v : {uint8_t(0), uint8_t(128), uint8_t(192), uint8_t(255)}) {
        if (c[0] == v && c[1] == v && c[2] == v) {
            uint8_t n = v == 255 ? 254 : v + 1;
            return {n, n, n};
        }
    }
    return c;
}

// Median-cut reduction of `colours` (with their pixel counts) to at most `limit` entries.
std::vector<Rgb8> MedianCut(const std::map<Rgb8, int>& colours, size_t limit) {
    struct Item {
        Rgb8 c;
        int n;
    };
    std::vector<std::vector<Item>> boxes(1);
    for (auto& [c, n] : colours) boxes[0].push_back({c, n});
    auto spread = [](const std::vector<Item>& box, int& channel) {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (auto& it : box) lo = std::min<int>(lo, it.c[ch]), hi = std::max<int>(hi, it.c[ch]);
            if (hi - lo > best) best = hi - lo, channel = ch;
        }
        return best;
    };
    while (boxes.size() < limit) {
        int pick = -1, channel = 0;
        double score = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int ch = 0, sp = spread(boxes[i], ch);
            if (boxes[i].size() < 2 || sp == 0) continue;
            int count = 0;
            for (auto& it : boxes[i]) count += it.n;
            double sc = double(sp) * std::sqrt(double(count));
            if (sc > score) score = sc, pick = int(i), channel = ch;
        }
        if (pick < 0) break;
        auto& box = boxes[pick];
        std::sort(box.begin(), box.end(),
                  [channel](const Item& a, const Item& b) { return a.c[channel] < b.c[channel]; });
        int total = 0, half = 0;
        for (auto& it : box) total += it.n;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.size(); ++i) {
            half += box[i].n;
            cut = i + 1;
            if (half * 2 >= total) break;
        }
        std::vector<Item> upper(box.begin() + cut, box.end());
        box.resize(cut);
        boxes.push_back(upper);
    }
    std::vector<Rgb8> out;
    for (auto& box : boxes) {
        double r = 0, g = 0, b = 0, n = 0;
        for (auto& it : box) r += it.c[0] * it.n, g += it.c[1] * it.n, b += it.c[2] * it.n, n += it.n;
        out.push_back(AvoidMappedColours(
            {uint8_t(std::lround(r / n)), uint8_t(std::lround(g / n)), uint8_t(std::lround(b / n))}));
    }
    return out;
}

// 8-bit bottom-up BMP; palette entry 0 is the toolbar grey.
std::vector<uint8_t> ToolbarBmp(Canvas& c) {
    std::vector<Rgb8> pixels;
    std::map<Rgb8, int> counts;
    const Rgb8 grey = {192, 192, 192};
    for (auto& p : c.px) {
        Rgb8 v = {ToByte(p.r), ToByte(p.g), ToByte(p.b)};  // opaque canvas: premultiplied = straight
        if (v != grey) v = AvoidMappedColours(v);
        pixels.push_back(v);
        if (v != grey) ++counts[v];
    }
    std::vector<Rgb8> palette = {grey};
    for (auto& e : MedianCut(counts, 255)) palette.push_back(e);
    palette.resize(256, Rgb8{0, 0, 0});
    auto nearest = [&](const Rgb8& v) {
        if (v == grey) return 0;
        int best = 1, bestd = 1 << 30;
        for (int i = 1; i < 256; ++i) {
            int dr = v[0] - palette[i][0], dg = v[1] - palette[i][1], db = v[2] - palette[i][2];
            int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestd) bestd = d, best = i;
        }
        return best;
    };
    const int stride = (c.w + 3) & ~3;
    std::vector<uint8_t> out;
    const uint32_t offset = 14 + 40 + 256 * 4;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + stride * c.h);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, c.w);
    Put32(out, c.h);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, stride * c.h);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    for (auto& e : palette) {
        out.push_back(e[2]);
        out.push_back(e[1]);
        out.push_back(e[0]);
        out.push_back(0);
    }
    std::map<Rgb8, int> cache;
    for (int y = c.h - 1; y >= 0; --y) {
        for (int x = 0; x < c.w; ++x) {
            const Rgb8& v = pixels[y * c.w + x];
            auto it = cache.find(v);
            if (it == cache.end()) it = cache.emplace(v, nearest(v)).first;
            out.push_back(uint8_t(it->second));
        }
        for (int p = c.w; p < stride; ++p) out.push_back(0);
    }
    return out;
}

// One icon image: a 32-bit DIB (straight alpha) of twice the height, then the 1-bit AND mask.
std::vector<uint8_t> IconDib(Canvas& c) {
    std::vector<uint8_t> out;
    const int mask_stride = ((c.w + 31) / 32) * 4;
    Put32(out, 40);
    Put32(out, c.w);
    Put32(out, c.h * 2);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, c.w * c.h * 4 + mask_stride * c.h);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = c.h - 1; y >= 0; --y) {
        for (int x = 0; x < c.w; ++x) {
            const Colour& p = c.At(x, y);
            uint8_t a = ToByte(p.a);
            double k = a ? 1.0 / p.a : 0.0;
            out.push_back(a ? ToByte(p.b * k) : 0);
            out.push_back(a ? ToByte(p.g * k) : 0);
            out.push_back(a ? ToByte(p.r * k) : 0);
            out.push_back(a);
        }
    }
    for (int y = c.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(mask_stride, 0);
        for (int x = 0; x < c.w; ++x)
            if (ToByte(c.At(x, y).a) == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> Ico(const std::vector<int>& sizes) {
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        Canvas c = DrawIcon(s);
        images.push_back(IconDib(c));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(sizes.size()));
    uint32_t offset = 6 + 16 * uint32_t(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        out.push_back(uint8_t(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(uint8_t(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, uint32_t(images[i].size()));
        Put32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_toolbar_art OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    Canvas strip = DrawToolbar();
    bool ok = WriteFile(dir + "/toolbar.bmp", ToolbarBmp(strip));
    ok = WriteFile(dir + "/harmolab.ico", Ico({16, 24, 32, 48})) && ok;
    if (!ok) std::fprintf(stderr, "make_toolbar_art: cannot write to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
