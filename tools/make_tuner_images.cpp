// Draws the 176 pictures of the tuner and metronome screens into the "Tunerimg" folder.
//
// Usage: make_tuner_images OUTDIR [--preview DIR]
//
// Every picture is a 24-bit BMP sized to its place on the 640 x 480 screen (tools/tuner_art/layout.h).
// Pictures copied with white as the transparent colour have pure white only where nothing is drawn;
// their soft edges are blended toward the colour they will be drawn on (tuner grey, metronome white,
// or a light grey between the two for the digits both screens share). Pictures copied opaquely carry
// their own background. With --preview the screens are composed from the written files at full and
// half size, as BMPs, for a visual check.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tools/tuner_art/font.h"
#include "tools/tuner_art/layout.h"
#include "tools/tuner_art/preview.h"
#include "tools/tuner_art/raster.h"

namespace {

using namespace art;

// ---------------------------------------------------------------------------------------------------
// One palette for all the pictures (shared with the toolbar art).

namespace pal {
constexpr Col kInk = Hex(0x1B2636);    // readouts, outlines
constexpr Col kSlate = Hex(0x4B5A70);  // labels
constexpr Col kSlateLight = Hex(0x8592A6);
constexpr Col kMute = Hex(0x9AA3B0);       // switched-off text
constexpr Col kTunerGrey = Hex(0xD2D2D2);  // tuner screen background
constexpr Col kWhite = Hex(0xFFFFFF);      // metronome screen background
constexpr Col kShared = Hex(0xE8E8E8);     // edge blend for pictures on both screens
constexpr Col kPaper = Hex(0xFEFEFE);
constexpr Col kCream = Hex(0xFBF6E8);
constexpr Col kCreamDark = Hex(0xEFE5CD);
constexpr Col kBlue = Hex(0x2A6BD4);
constexpr Col kBlueDark = Hex(0x17428F);
constexpr Col kBlueLight = Hex(0x78ACF2);
constexpr Col kGreen = Hex(0x1FAF4A);
constexpr Col kGreenLight = Hex(0x8DF0A6);
constexpr Col kGreenDark = Hex(0x0F7231);
constexpr Col kAmber = Hex(0xF29E12);
constexpr Col kAmberLight = Hex(0xFFD27A);
constexpr Col kAmberDark = Hex(0xA86400);
constexpr Col kRed = Hex(0xDE3B2F);
constexpr Col kRedDark = Hex(0x8E1F17);
constexpr Col kWood = Hex(0x8E4F24);
constexpr Col kWoodLight = Hex(0xB06A34);
constexpr Col kWoodDark = Hex(0x4F2A12);
constexpr Col kMaple = Hex(0xEAD3A8);
constexpr Col kMapleDark = Hex(0xD8BA86);
constexpr Col kBrass = Hex(0xC79A36);
constexpr Col kBrassLight = Hex(0xF4DC8E);
constexpr Col kBrassDark = Hex(0x7C5A17);
constexpr Col kSteel = Hex(0x2E3640);
constexpr Col kSteelLight = Hex(0xB4BECC);
constexpr Col kFace = Hex(0xF7F8FA);  // button faces
constexpr Col kFaceLow = Hex(0xD9DEE6);
constexpr Col kFacePressed = Hex(0xBCC5D2);
constexpr Col kEdge = Hex(0x46536A);  // button outlines
}  // namespace pal

// The light colour the pendulum is mostly seen against (the body's front panel or the white screen).
constexpr Col kPendulumScreen = Hex(0xF3E7D0);

// ---------------------------------------------------------------------------------------------------
// Type sizes

const TextStyle kLargeDigit{36, 6.2, 0.2, 1.18};  // octave, tempo and bar-length readouts
const TextStyle kSmallDigit{15.4, 2.6, 0.2};      // frequency, cents, bar counter, Normal tempo
const TextStyle kLabel{12, 2.3, 0.26};            // screen labels
const TextStyle kAccidental{21, 3.3, 0.2};

constexpr int kLargeW = 40, kLargeH = 54;  // large digit cell; its glyph is centred on row 26
constexpr double kLargeBase = 44.0;
constexpr int kSmallW = 16, kSmallH = 24;  // small digit cell; glyph rows 3..21
constexpr double kSmallBase = 19.8;

// ---------------------------------------------------------------------------------------------------
// Buttons and panels

// A push button filling its whole picture: dark rim, light face, a lip below when raised; pressed it
// sinks: darker face, shadow along the top, no lip. `inset` leaves room around the button.
void ButtonBody(Canvas& c, bool pressed, double radius, double inset = 0) {
    const double x0 = inset, y0 = inset, x1 = c.w - inset, y1 = c.h - inset;
    Fill(c, RoundRect(x0, y0, x1, y1, radius), pal::kEdge);
    Shape face = RoundRect(x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2, radius - 1);
    if (!pressed) {
        Fill(c, face, Hex(0xAEB7C4));  // the lip
        Shape top = RoundRect(x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 3.4, radius - 1);
        Fill(c, top, VGrad(pal::kFace, pal::kFaceLow, y0, y1));
        Fill(c, Intersect(top, Rect(x0, y0, x1, y0 + 2.6)), pal::kPaper, 0.9);
    } else {
        Fill(c, face, VGrad(pal::kFacePressed, Hex(0xD3D9E2), y0, y1));
        Fill(c, Intersect(face, Rect(x0, y0, x1, y0 + 3.2)), Hex(0x8C97A8), 0.55);
        Fill(c, Intersect(face, Rect(x0, y0, x0 + 2.4, y1)), Hex(0x8C97A8), 0.35);
    }
}

// A rounded triangle pointing left (dir -1) or right (dir +1), centred on (cx, cy).
Shape Arrow(double cx, double cy, double w, double h, int dir) {
    const double round = 1.3;
    double hw = w / 2 - round, hh = h / 2 - round * 1.6;
    std::vector<Pt> pts = dir < 0 ? std::vector<Pt>{{cx - hw, cy}, {cx + hw, cy - hh}, {cx + hw, cy + hh}}
                                  : std::vector<Pt>{{cx + hw, cy}, {cx - hw, cy - hh}, {cx - hw, cy + hh}};
    return Grow(Polygon(pts), round);
}

// A rounded triangle pointing up (dir -1) or down (dir +1).
Shape ArrowV(double cx, double cy, double w, double h, int dir) {
    const double round = 1.1;
    double hw = w / 2 - round * 1.6, hh = h / 2 - round;
    std::vector<Pt> pts = dir < 0 ? std::vector<Pt>{{cx, cy - hh}, {cx - hw, cy + hh}, {cx + hw, cy + hh}}
                                  : std::vector<Pt>{{cx, cy + hh}, {cx - hw, cy - hh}, {cx + hw, cy - hh}};
    return Grow(Polygon(pts), round);
}

// The five target-note buttons, also the metronome's down/up buttons: 44 x 38, opaque. The corners
// outside the rounding take a grey between the tuner's grey and the metronome's white.
Image PushButton(int kind, bool pressed) {
    Canvas c(44, 38, pal::kShared);
    ButtonBody(c, pressed, 3.2);
    const double d = pressed ? 1 : 0, cx = 22 + d, cy = 17.5 + d;
    const Col ink = pressed ? pal::kBlueDark : pal::kInk;
    switch (kind) {
        case 0:  // five down
            Fill(c, Union(Arrow(cx - 5, cy, 12, 15, -1), Arrow(cx + 5, cy, 12, 15, -1)), ink);
            break;
        case 1:  // one down
            Fill(c, Arrow(cx - 0.5, cy, 13, 16, -1), ink);
            break;
        case 2:  // back to automatic
            Fill(c, TextCentred("AUTO", cx, cy, {8.6, 1.9, 0.2}), ink);
            break;
        case 3:  // one up
            Fill(c, Arrow(cx + 0.5, cy, 13, 16, 1), ink);
            break;
        default:  // five up
            Fill(c, Union(Arrow(cx - 5, cy, 12, 15, 1), Arrow(cx + 5, cy, 12, 15, 1)), ink);
            break;
    }
    return Flatten(c, pal::kShared);
}

// Power buttons (loaded by the program but not shown): the same button with the power sign.
Image PowerButton(bool on) {
    Canvas c(44, 38, pal::kShared);
    ButtonBody(c, on, 3.2);
    const double d = on ? 1 : 0, cx = 22 + d, cy = 17.5 + d;
    Col ink = on ? pal::kGreenDark : pal::kSlate;
    std::vector<Pt> ring;
    for (int i = 0; i <= 40; ++i) {
        double a = (-55 + 290.0 * i / 40 - 90) * kPi / 180;
        ring.push_back({cx + 8 * std::cos(a), cy + 1 - 8 * std::sin(a)});
    }
    Fill(c, Union(Strokes({ring}, 2.6), Capsule(cx, cy - 9, cx, cy - 1, 2.6)), ink);
    return Flatten(c, pal::kShared);
}

// A label plate with a rim: off it is a dim grey plate, on a cream one with a dark rim.
void Plate(Canvas& c, double x0, double y0, double x1, double y1, bool on) {
    if (on) {
        Fill(c, RoundRect(x0, y0, x1, y1, 6), pal::kEdge);
        Fill(c, RoundRect(x0 + 1.3, y0 + 1.3, x1 - 1.3, y1 - 1.3, 4.8), VGrad(pal::kPaper, pal::kCream, y0, y1));
    } else {
        Fill(c, RoundRect(x0, y0, x1, y1, 6), Hex(0xA9B0BA));
        Fill(c, RoundRect(x0 + 1.2, y0 + 1.2, x1 - 1.2, y1 - 1.2, 4.9), Hex(0xC5CAD1));
    }
}

// ---------------------------------------------------------------------------------------------------
// Instrument icons, drawn in a 24 x 24 box at (x, y), neck toward the upper right.

void InstrumentIcon(Canvas& c, int which, double x, double y, bool on) {
    const Col body = on ? pal::kWoodLight : pal::kMute, dark = on ? pal::kWoodDark : Hex(0x7D8694);
    const Col neck = on ? pal::kWoodDark : Hex(0x7D8694);
    auto turn = [&](Shape s) { return Rotate(s, x + 12, y + 12, 45); };
    // Drawn upright around (x + 12, y + 12), then turned 45 degrees clockwise.
    const double cx = x + 12;
    if (which == 3) {  // shamisen: small square drum, long slim neck
        Fill(c, turn(Capsule(cx, y - 3, cx, y + 17, 2.2)), neck);
        Fill(c, turn(RoundRect(cx - 6.5, y + 14, cx + 6.5, y + 27, 2.5)), dark);
        Fill(c, turn(RoundRect(cx - 5.2, y + 15.3, cx + 5.2, y + 25.7, 1.8)), on ? pal::kCream : Hex(0xDADDE2));
        Fill(c, turn(Capsule(cx - 1.5, y - 4, cx + 1.5, y - 4, 2.6)), neck);
        return;
    }
    const double lower = which == 2 ? 5.2 : 6.8, upper = which == 2 ? 4.2 : 5.2;
    const double base = which == 2 ? y + 24 : y + 26.5;
    const double top = which == 1 ? y - 6 : (which == 2 ? y + 2 : y - 3);
    Fill(c, turn(Capsule(cx, top + 2, cx, base - lower * 1.6, which == 1 ? 2.6 : 2.3)), neck);
    Fill(c, turn(RoundRect(cx - 2.2, top - 1, cx + 2.2, top + 4, 1.2)), neck);
    Shape shape = Union(Circle(cx, base - lower, lower), Circle(cx, base - 2 * lower - upper * 0.55, upper));
    if (which == 1) shape = Union(shape, Circle(cx + 2, base - 2 * lower - upper * 0.3, upper * 0.9));
    Fill(c, turn(Grow(shape, 0.9)), dark);
    Fill(c, turn(shape), body);
    Fill(c, turn(Circle(cx, base - 2 * lower + 0.8, which == 2 ? 1.6 : 2.0)), dark);
}

const char* const kInstrumentNames[4] = {"GUITAR", "BASS", "UKULELE", "SHAMISEN"};

// Instrument plate, 120 x 30, keyed on the tuner grey.
Image InstrumentPlate(int which, bool on) {
    Canvas c(120, 30);
    Plate(c, 2, 2, 118, 28, on);
    InstrumentIcon(c, which, 6, 3, on);
    TextStyle st{10, 2.1, 0.24};
    Fill(c, TextCentred(kInstrumentNames[which], 74, 15, st), on ? pal::kInk : pal::kMute);
    return Keyed(c, pal::kTunerGrey);
}

// String-number plate, 60 x 30, keyed: the string's number in a ring, as strings are marked in scores.
Image StringPlate(int number, bool on) {
    Canvas c(60, 30);
    Plate(c, 2, 2, 58, 28, on);
    const Col ink = on ? pal::kInk : pal::kMute;
    Fill(c, Outline(Circle(30, 15, 9.6), 1.7), ink);
    Fill(c, TextCentred(std::string(1, char('0' + number)), 30.2, 15, {10, 2.1, 0.2}), ink);
    return Keyed(c, pal::kTunerGrey);
}

// String up/down buttons, 60 x 21, keyed.
Image StringStep(bool up, bool pressed) {
    Canvas c(60, 21);
    Canvas b(56, 19);
    ButtonBody(b, pressed, 4.5);
    Blit(c, b, 2, 1);
    const double d = pressed ? 1 : 0;
    Fill(c, ArrowV(30 + d, 10 + d, 15, 8.5, up ? -1 : 1), pressed ? pal::kBlueDark : pal::kInk);
    return Keyed(c, pal::kTunerGrey);
}

// Instrument-mode switch, 60 x 30, opaque on the tuner grey: a latching button with a lamp.
Image InstrumentSwitch(bool on) {
    Canvas c(60, 30, pal::kTunerGrey);
    Canvas b(56, 26);
    ButtonBody(b, on, 5);
    Blit(c, b, 2, 2);
    const double d = on ? 1 : 0, lx = 13 + d, ly = 15 + d;
    if (on) Glow(c, Circle(lx, ly, 4), pal::kGreenLight, 4, 0.6);
    Fill(c, Circle(lx, ly, 4.6), on ? pal::kGreenDark : Hex(0x5D6675));
    Fill(c, Circle(lx, ly, 3.4),
         on ? RadialGrad(pal::kGreenLight, pal::kGreen, lx - 1, ly - 1, 4)
            : RadialGrad(Hex(0xA3AAB5), Hex(0x788190), lx - 1, ly - 1, 4));
    Fill(c, TextCentred("INST", 36 + d, ly, {9, 2, 0.24}), on ? pal::kInk : pal::kSlate);
    return Flatten(c, pal::kTunerGrey);
}

Shape Gear(double cx, double cy, double r) {
    std::vector<Pt> pts;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        double a = (i - 0.5) * kPi * 2 / (teeth * 4);
        double rr = (i % 4 == 0 || i % 4 == 1) ? r : r * 0.74;
        pts.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
    }
    return Minus(Grow(Polygon(pts), 0.5), Circle(cx, cy, r * 0.33));
}

// Tuning-dialog button, 76 x 30, opaque on the tuner grey.
Image ConfigButton(bool pressed) {
    Canvas c(76, 30, pal::kTunerGrey);
    Canvas b(74, 26);
    ButtonBody(b, pressed, 5);
    Blit(c, b, 1, 2);
    const double d = pressed ? 1 : 0;
    const Col ink = pressed ? pal::kBlueDark : pal::kInk;
    Fill(c, Gear(15 + d, 15 + d, 7.2), ink);
    Fill(c, TextCentred("TUNING", 46 + d, 15 + d, {8, 1.8, 0.22}), ink);
    return Flatten(c, pal::kTunerGrey);
}

// Flat/sharp naming switch in the corner, 24 x 24, keyed.
Image AccidentalSwitch(bool sharp) {
    Canvas c(24, 24);
    Canvas b(22, 22);
    ButtonBody(b, false, 4.5);
    Blit(c, b, 1, 1);
    TextStyle st{11.5, 2.2, 0.2};
    std::string s(1, sharp ? '#' : 'b');
    double w = TextWidth(s, st);
    Fill(c, TextShape(s, 12 - w / 2 + (sharp ? 0 : 1), sharp ? 16.6 : 16.2, st), pal::kInk);
    return Keyed(c, pal::kTunerGrey);
}

// ---------------------------------------------------------------------------------------------------
// Digits, letters and labels

Image LargeDigit(int d) {
    Canvas c(kLargeW, kLargeH);
    Fill(c, Text(std::string(1, char('0' + d)), kLargeW / 2.0, kLargeBase, kLargeDigit, Align::kCentre), pal::kInk);
    return Keyed(c, pal::kShared);
}

Image SmallDigit(int d) {
    Canvas c(kSmallW, kSmallH);
    Fill(c, Text(std::string(1, char('0' + d)), kSmallW / 2.0, kSmallBase, kSmallDigit, Align::kCentre), pal::kInk);
    return Keyed(c, pal::kShared);
}

Image MinusSign() {
    Canvas c(kSmallW, kSmallH);
    double y = kSmallBase - kSmallDigit.cap / 2;
    Fill(c, Capsule(4.2, y, 11.8, y, kSmallDigit.stroke), pal::kInk);
    return Keyed(c, pal::kTunerGrey);
}

Image Blank(int w, int h) {
    return Image{w, h, std::vector<uint32_t>(size_t(w) * h, kKey)};
}

// Note letter with its accidental raised beside it, 64 x 54, keyed on the tuner grey.
Image NoteLetter(const std::string& name) {
    Canvas c(64, kLargeH);
    std::string letter = name.substr(0, 1);
    Fill(c, TextShape(letter, 1, kLargeBase, kLargeDigit), pal::kInk);
    if (name.size() > 1) {
        double x = 1 + TextWidth(letter, kLargeDigit) + 3.5;
        bool sharp = name[1] == '#';
        double base = kLargeBase - kLargeDigit.cap + kAccidental.cap * (sharp ? 1.08 : 1.13);
        Fill(c, TextShape(name.substr(1), x, base, kAccidental), pal::kInk);
    }
    return Keyed(c, pal::kTunerGrey);
}

// "No note": two dim dashes where the octave digit and the letter would stand.
Image NoNote() {
    Canvas c(116, kLargeH);
    const double y = kLargeBase - kLargeDigit.cap / 2;
    Fill(c, Capsule(12, y, 28, y, kLargeDigit.stroke), pal::kSlateLight);
    Fill(c, Capsule(60, y, 80, y, kLargeDigit.stroke), pal::kSlateLight);
    return Keyed(c, pal::kTunerGrey);
}

// Automatic target: the word in the accent colour, on the digits' middle line.
Image AutoTarget() {
    Canvas c(116, kLargeH);
    TextStyle st{21, 4.6, 0.2};
    Fill(c, TextShape("AUTO", 2, kLargeBase - kLargeDigit.cap / 2 + st.cap / 2, st), pal::kBlue);
    return Keyed(c, pal::kTunerGrey);
}

// Label text right-aligned against the readout that follows it.
Image Label(int w, int h, const std::string& text, double right, double middle, Col screen) {
    Canvas c(w, h);
    Fill(c, Text(text, right, middle + kLabel.cap / 2, kLabel, Align::kRight), pal::kSlate);
    return Keyed(c, screen);
}

// Target label: a speaker before the word, because a click on it plays the target note.
Image TargetLabel() {
    Canvas c(168, 34);
    const double mid = 16, right = 162;
    Fill(c, Text("TARGET", right, mid + kLabel.cap / 2, kLabel, Align::kRight), pal::kSlate);
    double x = right - TextWidth("TARGET", kLabel) - 26;
    Fill(c,
         Polygon(
             {{x, mid - 3}, {x + 4, mid - 3}, {x + 9, mid - 7.5}, {x + 9, mid + 7.5}, {x + 4, mid + 3}, {x, mid + 3}}),
         pal::kBlue);
    for (double r : {5.0, 9.0}) {
        std::vector<Pt> arc;
        for (int i = 0; i <= 12; ++i) {
            double a = (-45 + 90.0 * i / 12) * kPi / 180;
            arc.push_back({x + 9 + r * std::cos(a), mid + r * std::sin(a)});
        }
        Fill(c, Strokes({arc}, 1.8), pal::kBlue);
    }
    return Keyed(c, pal::kTunerGrey);
}

Image HzLabel() {
    Canvas c(30, 18);
    Fill(c, TextShape("Hz", 2, kSmallBase - 6, {10, 2.3, 0.2}), pal::kSlate);
    return Keyed(c, pal::kTunerGrey);
}

// ---------------------------------------------------------------------------------------------------
// Meter face and lamps

constexpr int kFaceW = 350, kFaceH = 200;
constexpr double kFacePivotX = kPivotX - kFaceX, kFacePivotY = kPivotY - kFaceY;

// The scale line is the ellipse around the pivot that runs through the needle's end points.
struct ScaleEllipse {
    double a = 0, b = 0;
};

ScaleEllipse FitScale() {
    // Least squares for 1/a^2 and 1/b^2 over all end points.
    double sxx = 0, sxy = 0, syy = 0, sx = 0, sy = 0;
    for (auto& p : kNeedle) {
        double u = std::pow(p[0] - kFacePivotX, 2), v = std::pow(p[1] - kFacePivotY, 2);
        sxx += u * u, sxy += u * v, syy += v * v, sx += u, sy += v;
    }
    double det = sxx * syy - sxy * sxy;
    double p = (sx * syy - sy * sxy) / det, q = (sy * sxx - sx * sxy) / det;
    return {1 / std::sqrt(p), 1 / std::sqrt(q)};
}

// Unit direction from the pivot toward the needle's end point for a cents value.
std::array<double, 2> NeedleDirection(int cents) {
    auto e = NeedleEnd(cents);
    double dx = e[0] - kFacePivotX, dy = e[1] - kFacePivotY, n = std::hypot(dx, dy);
    return {dx / n, dy / n};
}

// Point of the scale ellipse in a direction, pulled in by `inset` pixels along the direction.
Pt ScalePoint(const ScaleEllipse& s, std::array<double, 2> d, double inset) {
    double t = 1 / std::sqrt(std::pow(d[0] / s.a, 2) + std::pow(d[1] / s.b, 2));
    return {kFacePivotX + d[0] * (t - inset), kFacePivotY + d[1] * (t - inset)};
}

// A band of the scale between two cents values, from `in0` to `in1` pixels inside the scale line.
Shape ScaleBand(const ScaleEllipse& s, int c0, int c1, double in0, double in1) {
    std::vector<Pt> pts;
    for (int c = c0; c <= c1; ++c) pts.push_back(ScalePoint(s, NeedleDirection(c), in0));
    for (int c = c1; c >= c0; --c) pts.push_back(ScalePoint(s, NeedleDirection(c), in1));
    return Polygon(pts);
}

Canvas MeterFace() {
    Canvas c(kFaceW, kFaceH, pal::kTunerGrey);
    c.screen_x = kFaceX, c.screen_y = kFaceY, c.block_shading = true;
    // Bezel and window.
    Fill(c, RoundRect(0, 0, kFaceW, kFaceH, 16), VGrad(Hex(0x454E5B), Hex(0x1E242C), 0, kFaceH));
    Fill(c, Outline(RoundRect(1.5, 1.5, kFaceW - 1.5, kFaceH - 1.5, 14.5), 1), Hex(0x6B7584), 0.8);
    Fill(c, RoundRect(6, 6, kFaceW - 6, kFaceH - 6, 10), Hex(0x0F1318));
    Fill(c, RoundRect(7, 7, kFaceW - 7, kFaceH - 7, 9), VGrad(Hex(0xFDFAF1), Hex(0xF0E7D2), 7, kFaceH - 7));
    Fill(c, Intersect(RoundRect(7, 7, kFaceW - 7, kFaceH - 7, 9), Rect(0, 0, kFaceW, 11)), Hex(0x8F8676), 0.25);

    const ScaleEllipse s = FitScale();
    // Zones: red beyond 30 cents, green within the lamp's in-tune range.
    Fill(c, ScaleBand(s, -50, -30, 3.5, 7.5), pal::kRed, 0.85);
    Fill(c, ScaleBand(s, 30, 49, 3.5, 7.5), pal::kRed, 0.85);
    Fill(c, ScaleBand(s, -30, -10, 3.5, 6), pal::kAmber, 0.55);
    Fill(c, ScaleBand(s, 10, 30, 3.5, 6), pal::kAmber, 0.55);
    Fill(c, ScaleBand(s, -9, 9, 3, 9), pal::kGreen);
    // Scale line.
    std::vector<Pt> arc;
    for (int cents = -50; cents <= 49; ++cents) arc.push_back(ScalePoint(s, NeedleDirection(cents), 0));
    Fill(c, Strokes({arc}, 1.6), pal::kInk);
    // Ticks every 5 cents, longer every 10; +50 shares the +49 direction.
    std::vector<std::vector<Pt>> major, minor;
    for (int cents = -50; cents <= 50; cents += 5) {
        auto d = NeedleDirection(cents);
        bool big = cents % 10 == 0;
        Pt o = ScalePoint(s, d, -1.5), i = ScalePoint(s, d, big ? 14 : 8);
        (big ? major : minor).push_back({o, i});
    }
    Fill(c, Strokes(major, 2.4), pal::kInk);
    Fill(c, Strokes(minor, 1.5), pal::kInk);
    // Numbers inside the scale; the crowded tens beside zero are left to their ticks.
    TextStyle num{8.5, 1.75, 0.18};
    for (int cents : {-50, -40, -30, -20, 0, 20, 30, 40, 50}) {
        Pt p = ScalePoint(s, NeedleDirection(cents), 26);
        std::string t = std::to_string(std::abs(cents));
        Fill(c, TextCentred(t, p[0], p[1], num), cents == 0 ? pal::kGreenDark : pal::kInk);
    }
    // Flat and sharp ends, the unit under the pivot.
    TextStyle sign{13, 2.6, 0.2};
    Fill(c, TextCentred("b", 34, 120, sign), pal::kSlate);
    Fill(c, TextCentred("#", 316, 120, sign), pal::kSlate);
    Fill(c, TextCentred("CENT", kFacePivotX, 186, {7.5, 1.6, 0.3}), pal::kSlateLight);
    // Pivot cap under the needle.
    Fill(c, Circle(kFacePivotX, kFacePivotY, 10.5), Hex(0x11161C));
    Fill(c, Circle(kFacePivotX, kFacePivotY, 9.2),
         RadialGrad(Hex(0x6C7686), Hex(0x232A33), kFacePivotX - 3, kFacePivotY - 3, 11));
    Fill(c, Circle(kFacePivotX, kFacePivotY, 2.6), Hex(0x0B0E12));
    return c;
}

// Lamp, 32 x 32, drawn opaque over the face: its background is the face's own pixels there.
Image Lamp(const Canvas& face, int state) {
    Canvas c(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            int i = (y + kLampY - kFaceY) * face.w + (x + kLampX - kFaceX), j = y * 32 + x;
            c.r[j] = face.r[i], c.g[j] = face.g[i], c.b[j] = face.b[i], c.a[j] = face.a[i];
        }
    }
    const double cx = 16, cy = 16;
    if (state == 1) Glow(c, Circle(cx, cy, 11), Hex(0xFF8A3A), 5, 0.55);
    if (state == 2) Glow(c, Circle(cx, cy, 11), Hex(0x58E07A), 5, 0.55);
    Fill(c, Circle(cx, cy, 11.6), VGrad(Hex(0x7D8694), Hex(0x1F252D), 4, 28));  // bezel
    Fill(c, Circle(cx, cy, 10.2), VGrad(Hex(0x1A1F26), Hex(0xC9CFD8), 6, 26));
    Col core, rim;
    if (state == 0) core = Hex(0x8A929E), rim = Hex(0x3A414B);
    if (state == 1) core = Hex(0xFFD0A0), rim = Hex(0xD8361B);
    if (state == 2) core = Hex(0xD8FFD8), rim = Hex(0x14A03C);
    Fill(c, Circle(cx, cy, 8.8), RadialGrad(core, rim, cx - 1.5, cy - 1.5, 9.5));
    Fill(c, Ellipse(cx - 2.6, cy - 3.8, 4.2, 2.6), pal::kPaper, state == 0 ? 0.45 : 0.7);
    return Flatten(c, pal::kTunerGrey);
}

// ---------------------------------------------------------------------------------------------------
// Metronome body, rod and weight

// Paints the body in screen coordinates: these helpers take screen positions.
struct BodyCanvas {
    Canvas c;
    BodyCanvas(int w, int h) : c(w, h, pal::kWhite) {
        c.screen_x = kBodyX, c.screen_y = kBodyY, c.block_shading = true;
    }
    void Put(const Shape& s, const Paint& p, double o = 1.0) { Fill(c, Move(s, -kBodyX, -kBodyY), MovePaint(p), o); }
    void Put(const Shape& s, Col k, double o = 1.0) { Put(s, Solid(k), o); }
    static Paint MovePaint(const Paint& p) {
        return [p](double x, double y) { return p(x + kBodyX, y + kBodyY); };
    }
};

// A trapezoid centred on x = cx from y0 (half-width h0) to y1 (half-width h1) with rounded corners.
Shape Trapezoid(double cx, double y0, double h0, double y1, double h1, double round) {
    double k = round;
    return Grow(Polygon({{cx - h0 + k, y0 + k}, {cx + h0 - k, y0 + k}, {cx + h1 - k, y1 - k}, {cx - h1 + k, y1 - k}}),
                k);
}

// Wood with a soft grain: stripes that drift with height, darker toward the sides.
Paint WoodPaint(Col base, Col light, double cx, double halfwidth) {
    return [=](double x, double y) {
        double u = (x - cx) / halfwidth;
        double grain = 0.5 + 0.5 * std::sin((x - cx) * 0.21 + 2.4 * std::sin(y * 0.018 + x * 0.011));
        Col c = Mix(light, base, std::min(1.0, std::abs(u) * 1.2));
        return Mix(c, Scale(c, 0.86), grain * 0.55);
    };
}

constexpr int kBodyW = 472, kBodyH = 412;

Image MetronomeBody() {
    BodyCanvas b(kBodyW, kBodyH);
    const double cx = kRodPivotX;
    // Shadow on the table, plinth, case.
    b.Put(Ellipse(cx, 462, 236, 6), Hex(0xB9B9B9), 0.6);
    b.Put(RoundRect(cx - 228, 436, cx + 228, 463, 6), VGrad(Hex(0x6A3C1C), Hex(0x3A200E), 436, 463));
    b.Put(Rect(cx - 225, 438, cx + 225, 440), Hex(0xA5693A), 0.7);
    Shape kase = Trapezoid(cx, 62, 66, 440, 212, 5);
    b.Put(Grow(kase, 1.2), pal::kWoodDark);
    b.Put(kase, WoodPaint(pal::kWood, pal::kWoodLight, cx, 212));
    // The cap on top.
    b.Put(RoundRect(cx - 56, 54, cx + 56, 68, 6), VGrad(Hex(0x7A4420), Hex(0x4A2610), 54, 68));
    b.Put(Rect(cx - 52, 56, cx + 52, 57.6), Hex(0xB7793F), 0.7);
    // Recessed front panel.
    Shape panel = Trapezoid(cx, 80, 48, 426, 190, 6);
    b.Put(Grow(panel, 1.6), Hex(0x3E210D));
    b.Put(panel, VGrad(Hex(0xF1DDB6), pal::kMaple, 80, 426));
    b.Put(Intersect(panel, Move(Minus(Rect(0, 0, 640, 480), panel), 1.5, 2.5)), Hex(0x7A5A32), 0.35);
    // Tempo window with its frame.
    b.Put(RoundRect(288, 95, 354, 131, 6), Hex(0x3E2A1A));
    b.Put(RoundRect(290.5, 97.5, 351.5, 128.5, 4), VGrad(Hex(0xFBF6EA), Hex(0xF1E9D6), 97, 129));
    // Scale plate behind the rod: a mark every 10 beats per minute where the weight's top edge reads.
    b.Put(RoundRect(298, 139, 344, 382, 5), Hex(0xB9986A));
    b.Put(RoundRect(299.3, 140.3, 342.7, 380.7, 4), VGrad(Hex(0xFCF7EC), Hex(0xF3E9D4), 140, 381));
    for (int t = 40; t <= 240; t += 10) {
        double y = 131.5 + (t - 30);
        bool big = t % 40 == 0;
        double len = big ? 11 : 6.5;
        b.Put(Capsule(302.5, y, 302.5 + len, y, big ? 1.8 : 1.2), Hex(0x6B4A2A));
        b.Put(Capsule(339.5 - len, y, 339.5, y, big ? 1.8 : 1.2), Hex(0x6B4A2A));
    }
    // Slot below the pivot where the pendulum runs into the case, and the pivot boss.
    b.Put(RoundRect(cx - 6, 396, cx + 6, 428, 6), Hex(0x3A2312));
    b.Put(Circle(cx, kRodPivotY, 12.5), Hex(0x3E2A12));
    b.Put(Circle(cx, kRodPivotY, 11), RadialGrad(pal::kBrassLight, pal::kBrassDark, cx - 4, kRodPivotY - 4, 15));
    b.Put(Circle(cx, kRodPivotY, 3.2), Hex(0x3A2A10));
    // Feet.
    for (double fx : {cx - 205, cx + 175}) b.Put(RoundRect(fx, 460, fx + 30, 467, 3), Hex(0x2C1A0C));
    return Flatten(b.c, pal::kWhite);
}

// One rod picture: the rod is drawn in screen coordinates and cut out at its table corner.
Image RodPicture(int p, int corner_x, int corner_y) {
    const double tilt = RodTilt(p) * kPi / 180;
    const double dx = std::sin(tilt), dy = -std::cos(tilt);
    const double tx = kRodPivotX + dx * kRodLength, ty = kRodPivotY + dy * kRodLength;
    const double h = kRodWidth / 2;
    int right = int(std::ceil(std::max(kRodPivotX, tx) + h)) + 2,
        bottom = int(std::ceil(std::max(kRodPivotY, ty) + h)) + 2;
    Canvas c(right - corner_x, bottom - corner_y);
    Shape rod = Move(Capsule(kRodPivotX, kRodPivotY, tx, ty, kRodWidth), -corner_x, -corner_y);
    // Steel: dark edges, a bright line a little left of the middle.
    Paint steel = [=](double x, double y) {
        double sx = x + corner_x - kRodPivotX, sy = y + corner_y - kRodPivotY;
        double across = (sx * -dy + sy * dx) / h;  // -1 .. 1 across the rod
        double t = std::abs(across + 0.3) / 1.3;
        return Mix(pal::kSteelLight, pal::kSteel, std::pow(Clamp01(t), 0.8));
    };
    Fill(c, rod, steel);
    return Keyed(c, kPendulumScreen);
}

// Weight picture for rod position p: a brass slider centred on the rod at tempo 30, turned with it.
constexpr double kWeightHalfW = 19.5, kWeightHalfH = 28.5;

Image WeightPicture(int p) {
    const double tilt = RodTilt(p);
    const double t = tilt * kPi / 180;
    const double cx = kRodPivotX + std::sin(t) * kWeightReach - kWeight[p][0];
    const double cy = kRodPivotY - std::cos(t) * kWeightReach - kWeight[p][1];
    double ex = kWeightHalfW * std::abs(std::cos(t)) + kWeightHalfH * std::abs(std::sin(t));
    double ey = kWeightHalfW * std::abs(std::sin(t)) + kWeightHalfH * std::abs(std::cos(t));
    Canvas c(int(std::ceil(cx + ex)) + 2, int(std::ceil(cy + ey)) + 2);
    // Upright outline around (cx, cy): narrower at the top, a clamp screw on the right side.
    const double hw = kWeightHalfW, hh = kWeightHalfH;
    Shape body = Grow(Polygon({{cx - hw + 6, cy - hh + 3},
                               {cx + hw - 6, cy - hh + 3},
                               {cx + hw - 3, cy + hh - 3},
                               {cx - hw + 3, cy + hh - 3}}),
                      3);
    Shape groove = Capsule(cx, cy - hh + 4, cx, cy + hh - 4, 4.2);
    Shape band = Intersect(body, Rect(cx - hw, cy + 6, cx + hw, cy + 10));
    Paint brass = [=](double x, double) {
        double u = (x - cx) / hw;  // -1 .. 1 across
        double k = std::abs(u + 0.35);
        return k < 0.35 ? Mix(pal::kBrassLight, pal::kBrass, k / 0.35)
                        : Mix(pal::kBrass, pal::kBrassDark, (k - 0.35) / 1.0);
    };
    auto turn = [&](Shape s) { return Rotate(s, cx, cy, tilt); };
    auto turnPaint = [&](Paint pt) {
        double cs = std::cos(t), sn = std::sin(t);
        return Paint([=](double x, double y) {
            double u = cx + (x - cx) * cs + (y - cy) * sn, v = cy - (x - cx) * sn + (y - cy) * cs;
            return pt(u, v);
        });
    };
    Fill(c, turn(Grow(body, 1.1)), Hex(0x4A3408));
    Fill(c, turn(body), turnPaint(brass));
    Fill(c, turn(band), Hex(0x5E4410), 0.45);
    Fill(c, turn(groove), Hex(0x3C2A08), 0.8);
    Fill(c, turn(Capsule(cx - 0.6, cy - hh + 5, cx - 0.6, cy + hh - 5, 1.2)), pal::kBrassLight, 0.5);
    return Keyed(c, kPendulumScreen);
}

// ---------------------------------------------------------------------------------------------------
// Metronome kinds: labels, conductor, ball, signal

Image MetronomeLabel(int w, int h, const std::string& text, double middle) {
    Canvas c(w, h);
    Fill(c, Text(text, 2, middle + kLabel.cap / 2, {13, 2.5, 0.26}), pal::kSlate);
    return Keyed(c, pal::kWhite);
}

Image TempoLabel() {
    Canvas c(120, 48, pal::kWhite);
    Fill(c, Text("TEMPO", 112, 24 + 6.5, {13, 2.5, 0.26}, Align::kRight), pal::kSlate);
    return Flatten(c, pal::kWhite);
}

// The idle conductor picture: the four-beat figure, faint, with arrows along the baton's path, its
// beats numbered where they fall, and a baton resting below.
Image ConductorPicture() {
    Canvas c(640, 350, pal::kWhite);
    c.screen_x = kConductorX, c.screen_y = kConductorY, c.block_shading = true;
    auto at = [](int i) {
        return Pt{2.0 * kConductFour[i][0] - kConductorX, 2.0 * kConductFour[i][1] + 120 - kConductorY};
    };
    std::vector<Pt> path;
    for (int i = 0; i < 9; ++i) path.push_back(at(i));
    Fill(c, Strokes({path}, 6), Hex(0xE6EAF1));
    Fill(c, Strokes({path}, 2.4), Hex(0xB3BFD2));
    // Arrowheads halfway along each stroke of the figure.
    for (int i = 0; i + 1 < 9; ++i) {
        Pt a = at(i), b = at(i + 1);
        double dx = b[0] - a[0], dy = b[1] - a[1], n = std::hypot(dx, dy);
        dx /= n, dy /= n;
        double mx = (a[0] + b[0]) / 2 + dx * 6, my = (a[1] + b[1]) / 2 + dy * 6;
        Fill(c,
             Grow(Polygon({{mx, my},
                           {mx - dx * 11 - dy * 5.5, my - dy * 11 + dx * 5.5},
                           {mx - dx * 11 + dy * 5.5, my - dy * 11 - dx * 5.5}}),
                  0.6),
             Hex(0x8D9BB2));
    }
    // Beats land on the low points; the numbers sit beside them where the figure leaves room.
    const double off[4][2] = {{20, 14}, {-20, 12}, {-22, -8}, {20, 12}};
    for (int beat = 0; beat < 4; ++beat) {
        Pt p = at(2 * beat + 1);
        Fill(c, Circle(p[0], p[1], 5.5), beat == 0 ? pal::kBlue : pal::kSlate);
        double nx = p[0] + off[beat][0], ny = p[1] + off[beat][1];
        Fill(c, TextCentred(std::to_string(beat + 1), nx, ny, {13, 2.8, 0.2}), beat == 0 ? pal::kBlue : pal::kSlate);
    }
    // Baton resting in the lower right: slim white stick with a dark edge, cork grip.
    const double bx0 = 604, by0 = 322, bx1 = 486, by1 = 226;
    Fill(c, Move(Capsule(bx0, by0, bx1, by1, 4.6), 2, 3), Hex(0xE3E6EA));
    Fill(c, Capsule(bx0, by0, bx1, by1, 3.8), Hex(0x5B6573));
    Fill(c, Capsule(bx0, by0, bx1, by1, 2.2), pal::kPaper);
    double gx = bx0 + (bx1 - bx0) * 0.2, gy = by0 + (by1 - by0) * 0.2;
    Fill(c, Capsule(bx0 - 1, by0 + 1, gx, gy, 12), Hex(0x6E4A26));
    Fill(c, Capsule(bx0 - 1, by0 + 1, gx, gy, 9.4), VGrad(Hex(0xD2A76C), Hex(0x9A6A36), 296, 326));
    // Time signature.
    TextStyle ts{22, 4.2, 0.2};
    Fill(c, TextCentred("4", 60, 278, ts), pal::kSlateLight);
    Fill(c, TextCentred("4", 60, 314, ts), pal::kSlateLight);
    return Flatten(c, pal::kWhite);
}

// Football in two turns: the black pentagons and white hexagons of a truncated icosahedron, lit
// from the upper left. 100 x 70, opaque on white; the ball fills the height so that at its lowest
// point it just reaches the shadow below.
struct Vec3 {
    double x, y, z;
};
Vec3 Norm(Vec3 v) {
    double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / n, v.y / n, v.z / n};
}
double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Image Football(int frame) {
    const double phi = (1 + std::sqrt(5.0)) / 2;
    std::vector<Vec3> v;
    for (int s1 : {-1, 1}) {
        for (int s2 : {-1, 1}) {
            v.push_back({0, double(s1), s2 * phi});
            v.push_back({double(s1), s2 * phi, 0});
            v.push_back({s1 * phi, 0, double(s2)});
        }
    }
    // Faces: pentagons over the icosahedron's corners, hexagons over its faces; plane distances of
    // the truncated solid, so a direction belongs to the plane it meets first.
    struct Face {
        Vec3 n;
        double d;
        bool pent;
    };
    std::vector<Face> faces;
    const double edge2 = 4.0;  // squared edge of this icosahedron
    for (auto& a : v) {
        Vec3 nb{};
        for (auto& b : v) {
            double d2 = (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
            if (std::abs(d2 - edge2) < 1e-6) {
                nb = b;
                break;
            }
        }
        Vec3 q{a.x + (nb.x - a.x) / 3, a.y + (nb.y - a.y) / 3, a.z + (nb.z - a.z) / 3};
        Vec3 n = Norm(a);
        faces.push_back({n, Dot(n, q), true});
    }
    for (size_t i = 0; i < v.size(); ++i) {
        for (size_t j = i + 1; j < v.size(); ++j) {
            for (size_t k = j + 1; k < v.size(); ++k) {
                auto d2 = [](Vec3 a, Vec3 b) {
                    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
                };
                if (std::abs(d2(v[i], v[j]) - edge2) > 1e-6 || std::abs(d2(v[j], v[k]) - edge2) > 1e-6 ||
                    std::abs(d2(v[i], v[k]) - edge2) > 1e-6)
                    continue;
                Vec3 n = Norm({v[i].x + v[j].x + v[k].x, v[i].y + v[j].y + v[k].y, v[i].z + v[j].z + v[k].z});
                Vec3 q{v[i].x + (v[j].x - v[i].x) / 3, v[i].y + (v[j].y - v[i].y) / 3, v[i].z + (v[j].z - v[i].z) / 3};
                faces.push_back({n, Dot(n, q), false});
            }
        }
    }
    // Orientation: a pentagon near the front, turned a little; the second frame rolls the ball on.
    const double yaw = (frame == 0 ? 18.0 : 54.0) * kPi / 180, pitch = 31.7 * kPi / 180, roll = 9 * kPi / 180;
    auto rotate = [&](Vec3 p) {
        Vec3 a{p.x * std::cos(roll) - p.y * std::sin(roll), p.x * std::sin(roll) + p.y * std::cos(roll), p.z};
        Vec3 b{a.x, a.y * std::cos(pitch) - a.z * std::sin(pitch), a.y * std::sin(pitch) + a.z * std::cos(pitch)};
        return Vec3{b.x * std::cos(yaw) + b.z * std::sin(yaw), b.y, -b.x * std::sin(yaw) + b.z * std::cos(yaw)};
    };
    Canvas c(100, 70, pal::kWhite);
    const double cx = 50, cy = 35, R = 34.4;
    const Vec3 light = Norm({-0.45, -0.6, 0.66});
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            double px = x + 0.5 - cx, py = y + 0.5 - cy, rr = std::hypot(px, py);
            double cov = Clamp01(R + 0.5 - rr);
            if (cov <= 0) continue;
            double u = std::min(px / R, 0.9999), w = std::min(py / R, 0.9999);
            double zz = std::sqrt(std::max(0.0, 1 - u * u - w * w));
            Vec3 n{u, w, zz};
            Vec3 m = rotate(n);
            double best = -1e9, second = -1e9;
            bool pent = false;
            for (auto& f : faces) {
                double s = Dot(m, f.n) / f.d;
                if (s > best) {
                    second = best, best = s, pent = f.pent;
                } else if (s > second) {
                    second = s;
                }
            }
            double seam = (best - second) / best;  // 0 on an edge between two faces
            // Pure greys only: the half-size copy ANDs neighbouring pixels, and greys stay grey.
            double base = pent ? 0.11 : 0.972;
            double seamWidth = 0.012 / std::max(zz, 0.25);
            if (seam < seamWidth) base = 0.36 + (base - 0.36) * seam / seamWidth;
            double diffuse = std::max(0.0, Dot(n, light)),
                   spec = std::pow(std::max(0.0, Dot(Norm({n.x + light.x, n.y + light.y, n.z + light.z + 1}), n)), 40);
            double lit = std::min(1.0, base * (0.48 + 0.56 * diffuse));
            lit += (1 - lit) * spec * (pent ? 0.35 : 0.5);
            lit += (0.56 - lit) * std::pow(rr / R, 6) * 0.35;  // rim
            c.Put(y * c.w + x, {lit, lit, lit}, cov);
        }
    }
    return Flatten(c, pal::kWhite);
}

// Ball shadow, 100 x 20: the screen scales it down while the ball is high, merging pixels by a
// bitwise AND. Its greys step through values that each hold all the set bits of the darker ones, so
// merged pixels come out as the darker of them and never as a stray colour.
Image BallShadow() {
    static const uint32_t kSteps[] = {0xC0C0C0, 0xE0E0E0, 0xF0F0F0, 0xF8F8F8, 0xFCFCFC, 0xFEFEFE, 0xFFFFFF};
    Image im{100, 20, std::vector<uint32_t>(100 * 20)};
    for (int y = 0; y < im.h; ++y) {
        for (int x = 0; x < im.w; ++x) {
            double u = (x + 0.5 - 50) / 36, v = (y + 0.5 - 8) / 7, r = std::sqrt(u * u + v * v);
            int step = std::clamp(int((r - 0.45) / 0.09), 0, 6);
            im.px[y * im.w + x] = kSteps[step];
        }
    }
    return im;
}

// Signal lamp, 100 x 250, opaque on white: a lamp head with a round lens on a short post, lit
// amber on the beat. The head is centred in the 100 px cell.
constexpr int kSignalH = 250;

Image SignalLamp(bool lit) {
    Canvas c(100, kSignalH, pal::kWhite);
    c.screen_y = kCellY, c.block_shading = true;
    const double cx = 50, cy = 52;
    // Post and foot.
    Fill(c, Ellipse(cx, 236, 36, 6), Hex(0xDADDE2));
    Fill(c, RoundRect(cx - 26, 224, cx + 26, 236, 5), VGrad(Hex(0x4A5262), Hex(0x262C35), 224, 236));
    Fill(c, Rect(cx - 6, 90, cx + 6, 226), HGrad(Hex(0x2A303A), Hex(0x6A7484), cx - 6, cx + 6));
    Fill(c, Rect(cx - 6, 90, cx - 3, 226), Hex(0x1E232B), 0.6);
    // Head.
    if (lit) Glow(c, RoundRect(8, 8, 92, 96, 18), pal::kAmberLight, 8, 0.65);
    Fill(c, RoundRect(8, 8, 92, 96, 18), VGrad(Hex(0x3C4452), Hex(0x1B2028), 8, 96));
    Fill(c, Outline(RoundRect(9.2, 9.2, 90.8, 94.8, 17), 1.2), Hex(0x667080), 0.7);
    Fill(c, Circle(cx, cy, 33), Hex(0x0E1115));
    if (lit) {
        Fill(c, Circle(cx, cy, 30.5), RadialGrad(Hex(0xFFF4C8), Hex(0xF07800), cx - 6, cy - 7, 36));
        Glow(c, Circle(cx - 6, cy - 7, 8), Hex(0xFFFFF0), 11, 0.6);
    } else {
        Fill(c, Circle(cx, cy, 30.5), RadialGrad(Hex(0x6A5034), Hex(0x2E2217), cx - 6, cy - 7, 36));
    }
    // Visor shadow over the lens's top and a glint.
    Fill(c, Intersect(Circle(cx, cy, 30.5), Minus(Circle(cx, cy, 42), Circle(cx, cy + 7.5, 33))), Hex(0x000000), 0.35);
    Fill(c, Ellipse(cx - 11, cy - 13, 8.5, 4.8), pal::kPaper, lit ? 0.55 : 0.25);
    return Flatten(c, pal::kWhite);
}

// ---------------------------------------------------------------------------------------------------
// The asset table: file names in image-id order.

struct Asset {
    std::string name;
    Image image;
};

std::vector<Asset> DrawAll() {
    std::vector<Asset> out;
    auto add = [&](const std::string& name, Image im) { out.push_back({name, std::move(im)}); };
    add("Metronome.bmp", MetronomeBody());
    for (int p = 0; p <= 37; ++p) {
        int q = std::min(p, 36);  // the 38th rod is never shown; it repeats the last position
        add("bar" + std::to_string(p + 1) + ".bmp", RodPicture(q, kRod[q][0], kRod[q][1]));
    }
    Canvas face = MeterFace();
    add("tuner.bmp", Flatten(face, pal::kTunerGrey));
    for (int d = 0; d <= 9; ++d) add("n" + std::to_string(d) + ".bmp", SmallDigit(d));
    const char* buttons[5] = {"BTRRW", "BTRW", "BTCLR", "BTFW", "BTFFW"};
    for (int k = 0; k < 5; ++k) {
        // The clear button's pair is named BTCLR / BTCLR2; the others end in 1 / 2.
        add(std::string(buttons[k]) + (k == 2 ? "" : "1") + ".bmp", PushButton(k, false));
        add(std::string(buttons[k]) + "2.bmp", PushButton(k, true));
    }
    add("CurrentKey.bmp", Label(168, 34, "NOTE", 162, 16, pal::kTunerGrey));
    add("TargetKey.bmp", TargetLabel());
    add("cent.bmp", Label(88, 34, "CENT", 84, 22, pal::kTunerGrey));
    for (const char* n :
         {"C", "C#", "Db", "D", "D#", "Eb", "E", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb", "B"}) {
        add(std::string(n) + ".bmp", NoteLetter(n));
    }
    add("auto.bmp", AutoTarget());
    add("none.bmp", NoNote());
    add("hz.bmp", HzLabel());
    add("numno.bmp", Blank(kSmallW, kSmallH));
    for (int p = 0; p <= 36; ++p) add("T" + std::to_string(p + 1) + ".bmp", WeightPicture(p));
    for (int d = 0; d <= 9; ++d) add(std::to_string(d) + ".bmp", LargeDigit(d));
    add("minus.bmp", MinusSign());
    add("poweroff.bmp", PowerButton(false));
    add("poweron.bmp", PowerButton(true));
    add("flat.bmp", AccidentalSwitch(false));
    add("sharp.bmp", AccidentalSwitch(true));
    add("instoff.bmp", InstrumentSwitch(false));
    add("inston.bmp", InstrumentSwitch(true));
    for (int i = 0; i < 4; ++i) {
        add("inst" + std::to_string(i + 1) + "off.bmp", InstrumentPlate(i, false));
        add("inst" + std::to_string(i + 1) + "on.bmp", InstrumentPlate(i, true));
    }
    for (int s = 1; s <= 6; ++s) {
        add("st" + std::to_string(s) + "off.bmp", StringPlate(s, false));
        add("st" + std::to_string(s) + "on.bmp", StringPlate(s, true));
    }
    add("Config.bmp", ConfigButton(false));
    add("Config2.bmp", ConfigButton(true));
    add("up1.bmp", StringStep(true, true));  // for these two pairs the pressed picture comes first
    add("up2.bmp", StringStep(true, false));
    add("down1.bmp", StringStep(false, true));
    add("down2.bmp", StringStep(false, false));
    add("beat.bmp", MetronomeLabel(70, 38, "BEAT", 19));
    add("measure.bmp", MetronomeLabel(80, 36, "BAR", 20));
    add("Conductor.bmp", ConductorPicture());
    add("tempo.bmp", TempoLabel());
    add("ball1.bmp", Football(0));
    add("ball2.bmp", Football(1));
    add("signal1.bmp", SignalLamp(false));
    add("signal2.bmp", SignalLamp(true));
    add("shadow.bmp", BallShadow());
    for (int state = 0; state < 3; ++state)
        add(std::string(state == 0 ? "led" : (state == 1 ? "led2" : "led3")) + ".bmp", Lamp(face, state));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
        std::fprintf(stderr, "usage: make_tuner_images OUTDIR [--preview DIR]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<Asset> assets = DrawAll();
    if (assets.size() != 176) {
        std::fprintf(stderr, "make_tuner_images: %zu pictures instead of 176\n", assets.size());
        return 1;
    }
    for (const Asset& a : assets) {
        if (!WriteBmp(dir + "/" + a.name, a.image)) {
            std::fprintf(stderr, "make_tuner_images: cannot write %s/%s\n", dir.c_str(), a.name.c_str());
            return 1;
        }
    }
    if (argc == 4) return WritePreviews(dir, argv[3]) ? 0 : 1;
    return 0;
}
