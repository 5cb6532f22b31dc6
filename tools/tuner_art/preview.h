// Composes the tuner and metronome screens from the written pictures, the way the program does,
// at full size and at the half size the window shows them with its default stretching.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "tools/tuner_art/layout.h"
#include "tools/tuner_art/raster.h"

namespace art {

struct Screen {
    Image im{640, 480, std::vector<uint32_t>(640 * 480)};
    explicit Screen(uint32_t fill) { std::fill(im.px.begin(), im.px.end(), fill); }
    void Opaque(const Image& s, int x, int y) {
        for (int j = 0; j < s.h; ++j)
            for (int i = 0; i < s.w; ++i) Set(x + i, y + j, s.At(i, j));
    }
    void Keyed(const Image& s, int x, int y) {
        for (int j = 0; j < s.h; ++j)
            for (int i = 0; i < s.w; ++i)
                if (s.At(i, j) != kKey) Set(x + i, y + j, s.At(i, j));
    }
    // Reduced copy as the default stretch mode makes it: the merged pixels are ANDed together.
    void Shrunk(const Image& s, int x, int y, int w, int h) {
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                uint32_t v = 0xFFFFFF;
                for (int sy = j * s.h / h; sy < std::max(j * s.h / h + 1, (j + 1) * s.h / h); ++sy)
                    for (int sx = i * s.w / w; sx < std::max(i * s.w / w + 1, (i + 1) * s.w / w); ++sx)
                        v &= s.At(sx, sy);
                Set(x + i, y + j, v);
            }
        }
    }
    // A pen of width 2 along a line, without smoothing.
    void Line(double x0, double y0, double x1, double y1, uint32_t colour) {
        for (int y = int(std::min(y0, y1)) - 2; y <= int(std::max(y0, y1)) + 2; ++y)
            for (int x = int(std::min(x0, x1)) - 2; x <= int(std::max(x0, x1)) + 2; ++x)
                if (SegmentDist(x + 0.5, y + 0.5, x0, y0, x1, y1) <= 1.0) Set(x, y, colour);
    }
    void Set(int x, int y, uint32_t v) {
        if (x >= 0 && y >= 0 && x < 640 && y < 480) im.px[y * 640 + x] = v;
    }
    Image Half() const {
        Image h{320, 240, std::vector<uint32_t>(320 * 240)};
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                h.px[y * 320 + x] = im.At(2 * x, 2 * y) & im.At(2 * x + 1, 2 * y) & im.At(2 * x, 2 * y + 1) &
                                    im.At(2 * x + 1, 2 * y + 1);
        return h;
    }
};

struct PreviewImages {
    std::vector<Image> id;  // by image id
    bool ok = true;
};

inline PreviewImages LoadForPreview(const std::string& dir) {
    std::vector<std::string> names = {"Metronome"};
    for (int i = 1; i <= 38; ++i) names.push_back("bar" + std::to_string(i));
    names.push_back("tuner");
    for (int i = 0; i <= 9; ++i) names.push_back("n" + std::to_string(i));
    for (const char* n : {"BTRRW1", "BTRRW2",     "BTRW1",     "BTRW2", "BTCLR", "BTCLR2", "BTFW1", "BTFW2", "BTFFW1",
                          "BTFFW2", "CurrentKey", "TargetKey", "cent",  "C",     "C#",     "Db",    "D",     "D#",
                          "Eb",     "E",          "F",         "F#",    "Gb",    "G",      "G#",    "Ab",    "A",
                          "A#",     "Bb",         "B",         "auto",  "none",  "hz",     "numno"})
        names.push_back(n);
    for (int i = 1; i <= 37; ++i) names.push_back("T" + std::to_string(i));
    for (int i = 0; i <= 9; ++i) names.push_back(std::to_string(i));
    for (const char* n : {"minus", "poweroff", "poweron", "flat", "sharp", "instoff", "inston"}) names.push_back(n);
    for (int i = 1; i <= 4; ++i) {
        names.push_back("inst" + std::to_string(i) + "off");
        names.push_back("inst" + std::to_string(i) + "on");
    }
    for (int i = 1; i <= 6; ++i) {
        names.push_back("st" + std::to_string(i) + "off");
        names.push_back("st" + std::to_string(i) + "on");
    }
    for (const char* n : {"Config", "Config2", "up1", "up2", "down1", "down2", "beat", "measure", "Conductor", "tempo",
                          "ball1", "ball2", "signal1", "signal2", "shadow", "led", "led2", "led3"})
        names.push_back(n);
    PreviewImages p;
    p.id.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (!ReadBmp(dir + "/" + names[i] + ".bmp", p.id[i])) {
            std::fprintf(stderr, "preview: cannot read %s.bmp\n", names[i].c_str());
            p.ok = false;
        }
    }
    if (names.size() != 176) p.ok = false;
    return p;
}

struct TunerState {
    int detected = 49, frequency = 440, cents = 12, target = 49, sharps = 0, inst = 1, instrument = 0, string_index = 0;
    int pressed = 0;
};

inline void DrawNoteCell(Screen& s, const PreviewImages& im, int note, bool target, int sharps, int x, int y) {
    static const int kFlats[12] = {63, 65, 66, 68, 69, 70, 72, 73, 75, 76, 78, 79};
    static const int kSharps[12] = {63, 64, 66, 67, 69, 70, 71, 73, 74, 76, 77, 79};
    const int* letters = sharps ? kSharps : kFlats;
    if (note == 0) {
        s.Keyed(im.id[target ? 80 : 81], x, y);
        return;
    }
    s.Keyed(im.id[note <= 3 ? 121 : 122 + (note - 4) / 12], x, y);
    s.Keyed(im.id[letters[(note + 8) % 12]], x + 52, y);
}

inline Screen ComposeTuner(const PreviewImages& im, const TunerState& t) {
    Screen s(0xD2D2D2);
    static const int strings[4] = {6, 4, 4, 3};
    s.Keyed(im.id[134 + t.sharps], 0, 0);
    s.Keyed(im.id[60], 10, 50);
    DrawNoteCell(s, im, t.detected, false, t.sharps, 180, 40);
    const int places[5] = {10000, 1000, 100, 10, 1};
    for (int k = 0; k < 5; ++k) {
        int digit = t.frequency / places[k] % 10;
        int id = (k < 4 && digit == 0 && t.frequency < places[k]) ? 83 : 40 + digit;
        s.Keyed(im.id[id], 296 + 16 * k, 60);
    }
    s.Keyed(im.id[82], 380, 66);
    s.Keyed(im.id[62], 450, 50);
    if (t.cents < -50 || t.cents > 50) {
        for (int k = 0; k < 3; ++k) s.Keyed(im.id[83], 540 + 16 * k, 60);
    } else {
        int m = std::abs(t.cents);
        s.Keyed(im.id[t.cents < 0 ? 131 : 83], 540, 60);
        s.Keyed(im.id[40 + m / 10], 556, 60);
        s.Keyed(im.id[40 + m % 10], 572, 60);
    }
    s.Keyed(im.id[61], 100, 350);
    DrawNoteCell(s, im, t.target, true, t.sharps, 270, 340);
    for (int k = 0; k < 5; ++k) s.Opaque(im.id[50 + 2 * k + (t.pressed == k + 1)], 350 + 48 * k, 420);
    s.Opaque(im.id[136 + t.inst], 10, 420);
    s.Keyed(im.id[138 + 2 * t.instrument + t.inst], 70, 420);
    s.Keyed(im.id[t.pressed == 11 ? 160 : 161], 190, 399);
    s.Keyed(im.id[144 + 2 * (strings[t.instrument] - t.string_index) + t.inst], 190, 420);
    s.Keyed(im.id[t.pressed == 12 ? 162 : 163], 190, 450);
    s.Opaque(im.id[t.pressed == 10 ? 159 : 158], 250, 420);
    s.Opaque(im.id[39], kFaceX, kFaceY);
    int lamp = 173;
    if (t.target == t.detected) lamp = (t.cents >= -9 && t.cents <= 9) ? 175 : 174;
    s.Opaque(im.id[lamp], kLampX, kLampY);
    auto e = NeedleEnd(t.cents);
    s.Line(kPivotX, kPivotY, kFaceX + e[0], kFaceY + e[1], 0x050505);
    return s;
}

struct MetronomeState {
    int kind = 0, power = 1, tempo = 120, rod = 10, beat_no = 3, bar_count = 12, beat_index = 1, pressed = 0;
    int ball_frame = 0;
};

inline Screen ComposeMetronome(const PreviewImages& im, const MetronomeState& m) {
    Screen s(0xFFFFFF);
    static const int digit_shown[7] = {0, 2, 3, 4, 5, 6, 0};
    static const int beats[7] = {2, 2, 3, 4, 5, 6, 0};
    s.Keyed(im.id[164], 5, 10);
    s.Keyed(im.id[165], 5, 60);
    s.Keyed(im.id[121 + digit_shown[m.beat_no]], 135, 0);
    s.Opaque(im.id[m.pressed == 20 ? 53 : 52], 75, 10);
    s.Opaque(im.id[m.pressed == 21 ? 57 : 56], 177, 10);
    if (m.bar_count >= 1000) s.Keyed(im.id[40 + m.bar_count / 1000 % 10], 21, 100);
    if (m.bar_count >= 100) s.Keyed(im.id[40 + m.bar_count / 100 % 10], 37, 100);
    if (m.bar_count >= 10) s.Keyed(im.id[40 + m.bar_count / 10 % 10], 53, 100);
    if (m.bar_count > 0) s.Keyed(im.id[40 + m.bar_count % 10], 69, 100);
    const int lo = kSwing[m.tempo / 16][0], hi = kSwing[m.tempo / 16][1];
    if (m.kind == 0) {
        s.Opaque(im.id[0], kBodyX, kBodyY);
        s.Opaque(im.id[m.pressed == 2 ? 53 : 52], metronome_tables::kBodyTempoDownX, metronome_tables::kBodyTempoY);
        s.Opaque(im.id[m.pressed == 4 ? 57 : 56], metronome_tables::kBodyTempoUpX, metronome_tables::kBodyTempoY);
        s.Keyed(im.id[1 + m.rod], kRod[m.rod][0], kRod[m.rod][1]);
        auto w = WeightSpot(m.rod, m.tempo, m.power);
        s.Keyed(im.id[84 + m.rod], w[0], w[1]);
        if (m.tempo >= 100) s.Keyed(im.id[40 + m.tempo / 100], 296, 102);
        if (m.tempo >= 10) s.Keyed(im.id[40 + m.tempo / 10 % 10], 312, 102);
        s.Keyed(im.id[40 + m.tempo % 10], 328, 102);
        return s;
    }
    s.Opaque(im.id[167], metronome_tables::kTempoLabelX, metronome_tables::kTempoLabelY);
    s.Opaque(im.id[m.pressed == 30 ? 53 : 52], metronome_tables::kTopTempoDownX, metronome_tables::kTopTempoY);
    s.Opaque(im.id[m.pressed == 31 ? 57 : 56], metronome_tables::kTopTempoUpX, metronome_tables::kTopTempoY);
    if (m.tempo >= 100) s.Keyed(im.id[121 + m.tempo / 100], 430, 5);
    if (m.tempo >= 10) s.Keyed(im.id[121 + m.tempo / 10 % 10], 480, 5);
    s.Keyed(im.id[121 + m.tempo % 10], 534, 5);
    int cells = beats[m.beat_no] == 0 ? 4 : beats[m.beat_no];
    int x0 = 320 - 50 * cells;
    if (m.kind == 1) {
        if (!m.power) {
            s.Opaque(im.id[166], kConductorX, kConductorY);
            return s;
        }
        for (int i = 0; i + 1 < 9; ++i)
            s.Line(2 * kConductFour[i][0], 2 * kConductFour[i][1] + 120, 2 * kConductFour[i + 1][0],
                   2 * kConductFour[i + 1][1] + 120, 0xC8C8C8);
        for (int i = 0; i < m.beat_index; ++i)
            for (int k = 2 * i; k < 2 * i + 2; ++k)
                s.Line(2 * kConductFour[k][0], 2 * kConductFour[k][1] + 120, 2 * kConductFour[k + 1][0],
                       2 * kConductFour[k + 1][1] + 120, 0xC80000);
        return s;
    }
    if (m.kind == 2) {
        const Image& sh = im.id[172];
        for (int i = 0; i < cells; ++i) {
            int x = x0 + 100 * i;
            if (!m.power || i != m.beat_index) {
                s.Shrunk(sh, x + (3 * sh.w / 4) / 2, m.power ? kShadowRunY : kShadowRestY, sh.w / 4, sh.h / 4);
                s.Opaque(im.id[168], x, kCellY);
                continue;
            }
            int t = (420 / (hi - lo + 1)) * (m.rod - lo);
            int k, o, y;
            if (t < 210) {
                k = t < 70 ? 3 : (t < 140 ? 2 : 1);
                y = kCellY + t;
            } else {
                int u = t - 210;
                k = u < 70 ? 1 : (u < 140 ? 2 : 3);
                y = 570 - t;
            }
            o = k == 1 ? 0 : (k == 2 ? (sh.w / 2) / 2 : (2 * sh.w / 3) / 2);
            s.Shrunk(sh, x + o, kShadowRunY, sh.w / k, sh.h / k);
            s.Opaque(im.id[168 + m.ball_frame], x, y);
        }
        return s;
    }
    for (int i = 0; i < cells; ++i) s.Opaque(im.id[m.power && i == m.beat_index ? 171 : 170], x0 + 100 * i, kCellY);
    return s;
}

// Writes <dir>/<name>.bmp and <dir>/<name>_half.bmp for each composed screen.
inline bool WritePreviews(const std::string& art_dir, const std::string& dir) {
    PreviewImages im = LoadForPreview(art_dir);
    if (!im.ok) return false;
    std::vector<std::pair<std::string, Screen>> shots;
    shots.push_back({"tuner", ComposeTuner(im, TunerState{})});
    TunerState idle;
    idle.detected = 0, idle.frequency = 0, idle.cents = -100, idle.target = 0, idle.inst = 0, idle.sharps = 1;
    idle.pressed = 4;
    shots.push_back({"tuner_idle", ComposeTuner(im, idle)});
    TunerState tuned;
    tuned.detected = 2, tuned.frequency = 29, tuned.cents = -4, tuned.target = 2, tuned.sharps = 1,
    tuned.instrument = 3;
    tuned.string_index = 2, tuned.pressed = 10;
    shots.push_back({"tuner_tuned", ComposeTuner(im, tuned)});
    TunerState off;
    off.detected = 88, off.frequency = 12345, off.cents = -47, off.target = 50, off.pressed = 1;
    shots.push_back({"tuner_far", ComposeTuner(im, off)});
    MetronomeState m;
    shots.push_back({"normal", ComposeMetronome(im, m)});
    MetronomeState rest;
    rest.power = 0, rest.rod = 18, rest.tempo = 30, rest.bar_count = 1234, rest.pressed = 4;
    shots.push_back({"normal_rest30", ComposeMetronome(im, rest)});
    rest.tempo = 300, rest.bar_count = 7, rest.pressed = 0;
    shots.push_back({"normal_rest300", ComposeMetronome(im, rest)});
    MetronomeState fast;
    fast.tempo = 250, fast.rod = 14;
    shots.push_back({"normal_fast", ComposeMetronome(im, fast)});
    MetronomeState wide;
    wide.tempo = 40, wide.rod = 1;
    shots.push_back({"normal_wide", ComposeMetronome(im, wide)});
    MetronomeState cond;
    cond.kind = 1, cond.power = 0;
    shots.push_back({"conductor_idle", ComposeMetronome(im, cond)});
    cond.power = 1, cond.beat_index = 2;
    shots.push_back({"conductor_run", ComposeMetronome(im, cond)});
    MetronomeState ball;
    ball.kind = 2, ball.rod = 14;
    shots.push_back({"ball", ComposeMetronome(im, ball)});
    ball.rod = 7, ball.ball_frame = 1, ball.beat_no = 5;
    shots.push_back({"ball_six", ComposeMetronome(im, ball)});
    MetronomeState signal;
    signal.kind = 3, signal.beat_index = 2;
    shots.push_back({"signal", ComposeMetronome(im, signal)});
    bool ok = true;
    for (auto& [name, screen] : shots) {
        ok = WriteBmp(dir + "/" + name + ".bmp", screen.im) && ok;
        ok = WriteBmp(dir + "/" + name + "_half.bmp", screen.Half()) && ok;
    }
    return ok;
}

}  // namespace art
