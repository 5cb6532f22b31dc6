// The one typeface of the screen art: a rounded geometric sans drawn as strokes with round ends.
//
// Glyphs are centre lines in units of the cap height (baseline y = 0, cap line y = 1, y up); a stroke
// of any weight is laid over them, so one set of outlines serves the large readouts, the small
// digits and the labels alike.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/tuner_art/raster.h"

namespace art {

struct Glyph {
    double width = 0;                    // of the centre lines; the advance adds the spacing
    std::vector<std::vector<Pt>> lines;  // centre lines, glyph units
};

namespace font_detail {

using Line = std::vector<Pt>;

// Appends an elliptical arc from angle a0 to a1 (degrees, counter-clockwise, y up).
inline void Arc(Line& l, double cx, double cy, double rx, double ry, double a0, double a1) {
    int n = std::max(6, int(std::abs(a1 - a0) / 7.5));
    for (int i = 0; i <= n; ++i) {
        double a = (a0 + (a1 - a0) * i / n) * kPi / 180;
        l.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
}

// Stadium outline (a rounded "0"/"O"), w wide, from y0 to y1.
inline Line Stadium(double x0, double w, double y0, double y1) {
    double r = w / 2;
    Line l;
    Arc(l, x0 + r, y1 - r, r, r, 0, 180);
    Arc(l, x0 + r, y0 + r, r, r, 180, 360);
    l.push_back(l.front());
    return l;
}

inline std::map<char, Glyph> Build() {
    std::map<char, Glyph> g;
    const double W = 0.54;  // digit width
    // Digits
    g['0'] = {W, {Stadium(0, W, 0, 1)}};
    g['1'] = {W, {{{W * 0.14, 0.8}, {W * 0.6, 1}, {W * 0.6, 0}}}};
    {
        Line l;
        Arc(l, W / 2, 1 - W / 2, W / 2, W / 2, 165, -30);
        l.push_back({0, 0});
        l.push_back({W, 0});
        g['2'] = {W, {l}};
    }
    {
        Line l{{W * 0.04, 1}, {W * 0.96, 1}, {W * 0.38, 0.6}};
        Arc(l, W / 2, 0.305, W / 2, 0.305, 103, -145);
        g['3'] = {W, {l}};
    }
    g['4'] = {W, {{{W * 0.74, 0}, {W * 0.74, 1}, {0, 0.3}, {W * 1.02, 0.3}}}};
    {
        Line l{{W * 0.92, 1}, {W * 0.1, 1}, {W * 0.04, 0.56}};
        Arc(l, W / 2, 0.31, W / 2, 0.3, 128, -145);
        g['5'] = {W, {l}};
    }
    {
        Line bowl;
        Arc(bowl, W / 2, 0.31, W / 2, 0.31, 0, 360);
        g['6'] = {W, {bowl, {{W * 0.8, 1}, {W * 0.055, 0.43}}}};
    }
    g['7'] = {W, {{{0, 1}, {W, 1}, {W * 0.3, 0}}}};
    {
        Line top, bottom;
        Arc(top, W / 2, 0.765, W * 0.43, 0.235, 0, 360);
        Arc(bottom, W / 2, 0.265, W / 2, 0.265, 0, 360);
        g['8'] = {W, {top, bottom}};
    }
    {
        Line bowl;
        Arc(bowl, W / 2, 0.69, W / 2, 0.31, 0, 360);
        g['9'] = {W, {bowl, {{W * 0.2, 0}, {W * 0.945, 0.57}}}};
    }
    // Capitals
    g['A'] = {0.64, {{{0, 0}, {0.32, 1}, {0.64, 0}}, {{0.1, 0.3}, {0.54, 0.3}}}};
    {
        Line l{{0, 0.53}, {0.3, 0.53}};
        Arc(l, 0.3, 0.765, 0.235, 0.235, -90, 90);
        l.push_back({0, 1});
        l.push_back({0, 0});
        l.push_back({0.33, 0});
        Arc(l, 0.33, 0.265, 0.265, 0.265, -90, 90);
        l.push_back({0, 0.53});
        g['B'] = {0.6, {l}};
    }
    {
        const double w = 0.6, r = w / 2;
        Line l;
        Arc(l, r, 1 - r, r, r, 38, 180);
        Arc(l, r, r, r, r, 180, 322);
        g['C'] = {w, {l}};
    }
    {
        const double w = 0.62, r = 0.36;
        Line l{{0, 0}, {0, 1}, {w - r, 1}};
        Arc(l, w - r, 1 - r, r, r, 90, 0);
        Arc(l, w - r, r, r, r, 0, -90);
        l.push_back({0, 0});
        g['D'] = {w, {l}};
    }
    g['E'] = {0.5, {{{0.5, 1}, {0, 1}, {0, 0}, {0.5, 0}}, {{0, 0.52}, {0.42, 0.52}}}};
    g['F'] = {0.48, {{{0.48, 1}, {0, 1}, {0, 0}}, {{0, 0.52}, {0.4, 0.52}}}};
    {
        const double w = 0.62, r = w / 2;
        Line l;
        Arc(l, r, 1 - r, r, r, 38, 180);
        Arc(l, r, r, r, r, 180, 360);
        l.push_back({w, 0.46});
        l.push_back({w * 0.56, 0.46});
        g['G'] = {w, {l}};
    }
    g['H'] = {0.58, {{{0, 0}, {0, 1}}, {{0.58, 0}, {0.58, 1}}, {{0, 0.52}, {0.58, 0.52}}}};
    g['I'] = {0, {{{0, 0}, {0, 1}}}};
    g['K'] = {0.56, {{{0, 0}, {0, 1}}, {{0.56, 1}, {0, 0.36}}, {{0.2, 0.58}, {0.58, 0}}}};
    g['L'] = {0.46, {{{0, 1}, {0, 0}, {0.46, 0}}}};
    g['M'] = {0.74, {{{0, 0}, {0, 1}, {0.37, 0.3}, {0.74, 1}, {0.74, 0}}}};
    g['N'] = {0.6, {{{0, 0}, {0, 1}, {0.6, 0}, {0.6, 1}}}};
    g['O'] = {0.72, {Stadium(0, 0.72, 0, 1)}};
    {
        Line l{{0, 0}, {0, 1}, {0.3, 1}};
        Arc(l, 0.3, 0.74, 0.26, 0.26, 90, -90);
        l.push_back({0, 0.48});
        g['P'] = {0.56, {l}};
        Line r{{0, 0}, {0, 1}, {0.3, 1}};
        Arc(r, 0.3, 0.74, 0.26, 0.26, 90, -90);
        r.push_back({0, 0.48});
        g['R'] = {0.58, {r, {{0.28, 0.48}, {0.58, 0}}}};
    }
    {
        const double w = 0.56;
        Line l;
        Arc(l, w / 2, 0.75, w / 2, 0.25, 25, 270);
        Arc(l, w / 2, 0.25, w / 2, 0.25, 90, -155);
        g['S'] = {w, {l}};
    }
    g['T'] = {0.56, {{{0, 1}, {0.56, 1}}, {{0.28, 1}, {0.28, 0}}}};
    {
        const double w = 0.6, r = w / 2;
        Line l{{0, 1}};
        Arc(l, r, r, r, r, 180, 360);
        l.push_back({w, 1});
        g['U'] = {w, {l}};
    }
    g['V'] = {0.62, {{{0, 1}, {0.31, 0}, {0.62, 1}}}};
    g['Z'] = {0.54, {{{0, 1}, {0.54, 1}, {0, 0}, {0.54, 0}}}};
    g['z'] = {0.44, {{{0, 0.66}, {0.44, 0.66}, {0, 0}, {0.44, 0}}}};
    g['-'] = {0.4, {{{0, 0.5}, {0.4, 0.5}}}};
    g['+'] = {0.5, {{{0, 0.5}, {0.5, 0.5}}, {{0.25, 0.25}, {0.25, 0.75}}}};
    g[' '] = {0.3, {}};
    // Accidentals: '#' is the sharp sign, 'b' the flat sign, both a little taller than the caps.
    g['#'] = {0.78,
              {{{0.22, -0.12}, {0.22, 1.02}},
               {{0.56, -0.04}, {0.56, 1.1}},
               {{0, 0.26}, {0.78, 0.42}},
               {{0, 0.62}, {0.78, 0.78}}}};
    {
        Line l{{0, 1.15}, {0, 0}};
        Line bowl{{0, 0.4}};  // a teardrop that closes to a point on the stem
        Arc(bowl, 0.2, 0.36, 0.21, 0.17, 165, -40);
        bowl.push_back({0, 0.02});
        g['b'] = {0.42, {l, bowl}};
    }
    return g;
}

}  // namespace font_detail

inline const std::map<char, Glyph>& Glyphs() {
    static const std::map<char, Glyph> g = font_detail::Build();
    return g;
}

// How text is set: centre-line cap height and stroke width in pixels, letter gap in cap units.
struct TextStyle {
    double cap = 10;
    double stroke = 2;
    double gap = 0.22;   // between the outer edges of neighbouring glyphs, in cap heights
    double widen = 1.0;  // horizontal stretch of the centre lines
};

// Width in pixels of the ink of `text` (outer edges, strokes included).
inline double TextWidth(const std::string& text, const TextStyle& st) {
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        auto it = Glyphs().find(text[i]);
        if (it == Glyphs().end()) continue;
        w += it->second.width * st.cap * st.widen + st.stroke;
        if (i + 1 < text.size()) w += st.gap * st.cap;
    }
    return w;
}

// The ink of `text` as one shape; `left` is the outer left edge of the first glyph and `baseline`
// the centre line of the bottom strokes.
inline Shape TextShape(const std::string& text, double left, double baseline, const TextStyle& st) {
    std::vector<std::vector<Pt>> lines;
    double x = left + st.stroke / 2;
    for (char ch : text) {
        auto it = Glyphs().find(ch);
        if (it == Glyphs().end()) continue;
        for (const auto& l : it->second.lines) {
            std::vector<Pt> out;
            for (const Pt& p : l) out.push_back({x + p[0] * st.cap * st.widen, baseline - p[1] * st.cap});
            lines.push_back(out);
        }
        x += it->second.width * st.cap * st.widen + st.stroke + st.gap * st.cap;
    }
    if (lines.empty()) return Rect(-10, -10, -9, -9);
    return Strokes(lines, st.stroke);
}

enum class Align { kLeft, kCentre, kRight };

// `text` placed by its ink: x is its left edge, centre or right edge.
inline Shape Text(const std::string& text, double x, double baseline, const TextStyle& st, Align align = Align::kLeft) {
    double w = TextWidth(text, st);
    double left = align == Align::kLeft ? x : (align == Align::kCentre ? x - w / 2 : x - w);
    return TextShape(text, left, baseline, st);
}

// Text centred on the point (cx, cy): the caps' vertical middle sits at cy.
inline Shape TextCentred(const std::string& text, double cx, double cy, const TextStyle& st) {
    return Text(text, cx, cy + st.cap / 2, st, Align::kCentre);
}

}  // namespace art
