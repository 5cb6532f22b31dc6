// Anti-aliased drawing for the screen art: signed-distance shapes composited onto a float canvas.
//
// Coordinates are pixels with (0, 0) at the top-left corner of the image and y growing down; pixel
// (i, j) covers [i, i + 1) x [j, j + 1). Every shape is a signed distance (negative inside), so a
// pixel's coverage is clamp(0.5 - d, 0, 1): one evaluation per pixel gives smooth, crisp edges.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/math_constants.h"

namespace art {

inline double Clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// ---------------------------------------------------------------------------------------------------
// Colours

struct Col {
    double r = 0, g = 0, b = 0;  // 0..1
};

constexpr Col Hex(uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

inline Col Mix(const Col& a, const Col& b, double t) {
    t = Clamp01(t);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Col Scale(const Col& a, double k) {
    return {Clamp01(a.r * k), Clamp01(a.g * k), Clamp01(a.b * k)};
}

// ---------------------------------------------------------------------------------------------------
// Shapes

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

inline Box Join(const Box& a, const Box& b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

struct Shape {
    Box box;                                     // everything with d < 0.5 lies inside
    std::function<double(double, double)> dist;  // signed distance in pixels
};

inline Shape Circle(double cx, double cy, double r) {
    return {{cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1},
            [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; }};
}

// Ellipse distance by the first-order estimate f / |grad f|: exact enough for one pixel of smoothing.
inline Shape Ellipse(double cx, double cy, double rx, double ry) {
    return {{cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry + 1}, [=](double x, double y) {
                double u = (x - cx) / rx, v = (y - cy) / ry;
                double f = std::sqrt(u * u + v * v);
                if (f < 1e-9) return -std::min(rx, ry);
                double gx = u / (rx * f), gy = v / (ry * f);
                return (f - 1) / std::hypot(gx, gy);
            }};
}

inline double SegmentDist(double x, double y, double x0, double y0, double x1, double y1) {
    double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(x0 + t * dx - x, y0 + t * dy - y);
}

// A stroke of width w from (x0, y0) to (x1, y1) with round ends.
inline Shape Capsule(double x0, double y0, double x1, double y1, double w) {
    double h = w / 2;
    return {{std::min(x0, x1) - h - 1, std::min(y0, y1) - h - 1, std::max(x0, x1) + h + 1, std::max(y0, y1) + h + 1},
            [=](double x, double y) { return SegmentDist(x, y, x0, y0, x1, y1) - h; }};
}

inline Shape Rect(double x0, double y0, double x1, double y1) {
    return {{x0 - 1, y0 - 1, x1 + 1, y1 + 1}, [=](double x, double y) {
                double dx = std::max(x0 - x, x - x1), dy = std::max(y0 - y, y - y1);
                double out = std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
                return out + std::min(std::max(dx, dy), 0.0);
            }};
}

inline Shape RoundRect(double x0, double y0, double x1, double y1, double r) {
    r = std::min({r, (x1 - x0) / 2, (y1 - y0) / 2});
    return {{x0 - 1, y0 - 1, x1 + 1, y1 + 1}, [=](double x, double y) {
                double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
                double qx = std::abs(x - cx) - ((x1 - x0) / 2 - r), qy = std::abs(y - cy) - ((y1 - y0) / 2 - r);
                double out = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
                return out + std::min(std::max(qx, qy), 0.0) - r;
            }};
}

using Pt = std::array<double, 2>;

// Filled polygon (any winding), exact distance to its edges.
inline Shape Polygon(std::vector<Pt> pts) {
    Box b{1e9, 1e9, -1e9, -1e9};
    for (auto& p : pts) b = Join(b, {p[0] - 1, p[1] - 1, p[0] + 1, p[1] + 1});
    return {b, [pts](double x, double y) {
                double d = 1e9;
                bool inside = false;
                for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                    double xi = pts[i][0], yi = pts[i][1], xj = pts[j][0], yj = pts[j][1];
                    d = std::min(d, SegmentDist(x, y, xi, yi, xj, yj));
                    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
                }
                return inside ? -d : d;
            }};
}

// A polyline stroked with width w, round joins and ends; one shape, so joins blend without seams.
inline Shape Strokes(std::vector<std::vector<Pt>> lines, double w) {
    double h = w / 2;
    Box b{1e9, 1e9, -1e9, -1e9};
    struct Seg {
        double x0, y0, x1, y1;
    };
    std::vector<Seg> segs;
    for (auto& l : lines) {
        for (size_t i = 0; i < l.size(); ++i) {
            b = Join(b, {l[i][0] - h - 1, l[i][1] - h - 1, l[i][0] + h + 1, l[i][1] + h + 1});
            if (l.size() == 1) segs.push_back({l[0][0], l[0][1], l[0][0], l[0][1]});
            if (i + 1 < l.size()) segs.push_back({l[i][0], l[i][1], l[i + 1][0], l[i + 1][1]});
        }
    }
    return {b, [segs, h](double x, double y) {
                double d = 1e9;
                for (const Seg& s : segs) d = std::min(d, SegmentDist(x, y, s.x0, s.y0, s.x1, s.y1));
                return d - h;
            }};
}

inline Shape Union(Shape a, Shape b) {
    return {Join(a.box, b.box), [a, b](double x, double y) { return std::min(a.dist(x, y), b.dist(x, y)); }};
}
inline Shape Intersect(Shape a, Shape b) {
    Box k{std::max(a.box.x0, b.box.x0), std::max(a.box.y0, b.box.y0), std::min(a.box.x1, b.box.x1),
          std::min(a.box.y1, b.box.y1)};
    return {k, [a, b](double x, double y) { return std::max(a.dist(x, y), b.dist(x, y)); }};
}
inline Shape Minus(Shape a, Shape b) {
    return {a.box, [a, b](double x, double y) { return std::max(a.dist(x, y), -b.dist(x, y)); }};
}
// Grows (positive) or shrinks the shape by `by` pixels.
inline Shape Grow(Shape a, double by) {
    Box k{a.box.x0 - std::max(by, 0.0), a.box.y0 - std::max(by, 0.0), a.box.x1 + std::max(by, 0.0),
          a.box.y1 + std::max(by, 0.0)};
    return {k, [a, by](double x, double y) { return a.dist(x, y) - by; }};
}
// The outline band of a shape, `w` wide, centred on its edge.
inline Shape Outline(Shape a, double w) {
    Box k{a.box.x0 - w, a.box.y0 - w, a.box.x1 + w, a.box.y1 + w};
    return {k, [a, w](double x, double y) { return std::abs(a.dist(x, y)) - w / 2; }};
}
// The shape moved by (dx, dy).
inline Shape Move(Shape a, double dx, double dy) {
    Box k{a.box.x0 + dx, a.box.y0 + dy, a.box.x1 + dx, a.box.y1 + dy};
    return {k, [a, dx, dy](double x, double y) { return a.dist(x - dx, y - dy); }};
}
// The shape turned by `degrees` (clockwise on screen) around (cx, cy).
inline Shape Rotate(Shape a, double cx, double cy, double degrees) {
    double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    Box k{1e9, 1e9, -1e9, -1e9};
    for (double px : {a.box.x0, a.box.x1}) {
        for (double py : {a.box.y0, a.box.y1}) {
            double x = cx + (px - cx) * c - (py - cy) * s, y = cy + (px - cx) * s + (py - cy) * c;
            k = Join(k, {x, y, x, y});
        }
    }
    return {k, [a, cx, cy, c, s](double x, double y) {
                double u = cx + (x - cx) * c + (y - cy) * s, v = cy - (x - cx) * s + (y - cy) * c;
                return a.dist(u, v);
            }};
}

// ---------------------------------------------------------------------------------------------------
// Canvas

using Paint = std::function<Col(double, double)>;

inline Paint Solid(Col c) {
    return [c](double, double) { return c; };
}
inline Paint VGrad(Col a, Col b, double y0, double y1) {
    return [=](double, double y) { return Mix(a, b, (y - y0) / (y1 - y0)); };
}
inline Paint HGrad(Col a, Col b, double x0, double x1) {
    return [=](double x, double) { return Mix(a, b, (x - x0) / (x1 - x0)); };
}
inline Paint RadialGrad(Col inner, Col outer, double cx, double cy, double r) {
    return [=](double x, double y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / r); };
}

struct Canvas {
    int w = 0, h = 0;
    // Where the image's top-left corner lands on the 640 x 480 screen: broad shading is evaluated once
    // per 2 x 2 block of screen pixels, so the half-size copy (which merges each block) stays smooth.
    int screen_x = 0, screen_y = 0;
    bool block_shading = false;
    std::vector<double> r, g, b, a;  // premultiplied colour and coverage

    Canvas(int width, int height) : w(width), h(height), r(w * h), g(w * h), b(w * h), a(w * h) {}
    Canvas(int width, int height, Col fill) : Canvas(width, height) {
        std::fill(r.begin(), r.end(), fill.r);
        std::fill(g.begin(), g.end(), fill.g);
        std::fill(b.begin(), b.end(), fill.b);
        std::fill(a.begin(), a.end(), 1.0);
    }
    void Put(int i, const Col& c, double alpha) {
        r[i] = c.r * alpha + r[i] * (1 - alpha);
        g[i] = c.g * alpha + g[i] * (1 - alpha);
        b[i] = c.b * alpha + b[i] * (1 - alpha);
        a[i] = alpha + a[i] * (1 - alpha);
    }
    // Straight colour of a pixel composed over `under`.
    Col Over(int i, const Col& under) const {
        return {r[i] + under.r * (1 - a[i]), g[i] + under.g * (1 - a[i]), b[i] + under.b * (1 - a[i])};
    }
};

// Composites `paint` over the canvas wherever `shape` covers it.
inline void Fill(Canvas& c, const Shape& s, const Paint& paint, double opacity = 1.0) {
    int x0 = std::max(0, int(std::floor(s.box.x0))), y0 = std::max(0, int(std::floor(s.box.y0)));
    int x1 = std::min(c.w, int(std::ceil(s.box.x1)) + 1), y1 = std::min(c.h, int(std::ceil(s.box.y1)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            double cov = Clamp01(0.5 - s.dist(x + 0.5, y + 0.5)) * opacity;
            if (cov <= 0) continue;
            double px = x + 0.5, py = y + 0.5;
            if (c.block_shading) {
                px = std::floor((x + c.screen_x) / 2.0) * 2 - c.screen_x + 1.0;
                py = std::floor((y + c.screen_y) / 2.0) * 2 - c.screen_y + 1.0;
            }
            c.Put(y * c.w + x, paint(px, py), cov);
        }
    }
}
inline void Fill(Canvas& c, const Shape& s, Col colour, double opacity = 1.0) {
    Fill(c, s, Solid(colour), opacity);
}

// A soft blurred copy of a shape, used for glows and shadows: coverage falls off over `soft` pixels.
inline void Glow(Canvas& c, const Shape& s, Col colour, double soft, double opacity) {
    Shape big = Grow(s, soft);
    int x0 = std::max(0, int(std::floor(big.box.x0))), y0 = std::max(0, int(std::floor(big.box.y0)));
    int x1 = std::min(c.w, int(std::ceil(big.box.x1)) + 1), y1 = std::min(c.h, int(std::ceil(big.box.y1)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            double d = s.dist(x + 0.5, y + 0.5);
            double t = Clamp01(1 - d / soft);
            double cov = t * t * (3 - 2 * t) * opacity;
            if (cov > 0) c.Put(y * c.w + x, colour, cov);
        }
    }
}

// Copies `src` onto `dst` with its top-left corner at (dx, dy), respecting coverage.
inline void Blit(Canvas& dst, const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.h; ++y) {
        for (int x = 0; x < src.w; ++x) {
            int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= dst.w || ty >= dst.h) continue;
            int i = y * src.w + x, j = ty * dst.w + tx;
            double a = src.a[i];
            dst.r[j] = src.r[i] + dst.r[j] * (1 - a);
            dst.g[j] = src.g[i] + dst.g[j] * (1 - a);
            dst.b[j] = src.b[i] + dst.b[j] * (1 - a);
            dst.a[j] = a + dst.a[j] * (1 - a);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// 24-bit pictures and BMP files

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;  // 0xRRGGBB, top row first
    uint32_t At(int x, int y) const { return px[y * w + x]; }
};

inline uint8_t To8(double v) {
    return uint8_t(std::lround(Clamp01(v) * 255));
}
inline uint32_t Pack(const Col& c) {
    return (uint32_t(To8(c.r)) << 16) | (uint32_t(To8(c.g)) << 8) | To8(c.b);
}

// For images drawn with a background of their own: uncovered pixels show `under`.
inline Image Flatten(const Canvas& c, Col under) {
    Image im{c.w, c.h, std::vector<uint32_t>(c.w * c.h)};
    for (int i = 0; i < c.w * c.h; ++i) im.px[i] = Pack(c.Over(i, under));
    return im;
}

constexpr uint32_t kKey = 0xFFFFFF;  // the transparent colour of keyed copies

// For keyed images: uncovered pixels become the key colour; partly covered edge pixels are blended
// toward `screen`, the colour the image will be drawn on, so no light fringe shows; no covered pixel
// may come out as the key itself.
inline Image Keyed(const Canvas& c, Col screen) {
    Image im{c.w, c.h, std::vector<uint32_t>(c.w * c.h)};
    for (int i = 0; i < c.w * c.h; ++i) {
        if (c.a[i] < 0.5 / 255) {
            im.px[i] = kKey;
            continue;
        }
        uint32_t v = Pack(c.Over(i, screen));
        im.px[i] = v == kKey ? 0xFEFEFE : v;
    }
    return im;
}

inline std::vector<uint8_t> BmpBytes(const Image& im) {
    const int stride = (im.w * 3 + 3) & ~3;
    const uint32_t data = uint32_t(stride) * im.h, total = 54 + data;
    std::vector<uint8_t> out(total, 0);
    auto u32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) out[at + k] = uint8_t(v >> (8 * k));
    };
    auto u16 = [&](size_t at, uint16_t v) {
        out[at] = uint8_t(v);
        out[at + 1] = uint8_t(v >> 8);
    };
    out[0] = 'B';
    out[1] = 'M';
    u32(2, total);
    u32(10, 54);
    u32(14, 40);
    u32(18, uint32_t(im.w));
    u32(22, uint32_t(im.h));  // positive: rows are stored bottom-up
    u16(26, 1);
    u16(28, 24);
    u32(34, data);
    u32(38, 2835);  // 72 dpi
    u32(42, 2835);
    for (int y = 0; y < im.h; ++y) {
        uint8_t* row = &out[54 + size_t(im.h - 1 - y) * stride];
        for (int x = 0; x < im.w; ++x) {
            uint32_t v = im.At(x, y);
            row[3 * x] = uint8_t(v);
            row[3 * x + 1] = uint8_t(v >> 8);
            row[3 * x + 2] = uint8_t(v >> 16);
        }
    }
    return out;
}

inline bool WriteBmp(const std::string& path, const Image& im) {
    std::vector<uint8_t> bytes = BmpBytes(im);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Reads back the files written above (24-bit, bottom-up, uncompressed); false for anything else.
inline bool ReadBmp(const std::string& path, Image& im) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    auto u32 = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 24) return false;
    im.w = int(u32(18));
    im.h = int(u32(22));
    const size_t stride = (size_t(im.w) * 3 + 3) & ~size_t(3), offset = u32(10);
    if (im.w <= 0 || im.h <= 0 || bytes.size() < offset + stride * im.h) return false;
    im.px.assign(size_t(im.w) * im.h, 0);
    for (int y = 0; y < im.h; ++y) {
        const uint8_t* row = &bytes[offset + size_t(im.h - 1 - y) * stride];
        for (int x = 0; x < im.w; ++x) {
            im.px[size_t(y) * im.w + x] = uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
        }
    }
    return true;
}

}  // namespace art
