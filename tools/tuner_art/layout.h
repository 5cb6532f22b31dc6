// Where the screens put the pictures: the positions and tables the art must agree with.
//
// The tuner and metronome screens draw each picture at a fixed top-left corner of the 640 x 480
// screen; the meter needle, the pendulum rod and its weight move by tables. The pictures are drawn
// to fit these numbers, and the preview composes the screens from them.
#pragma once

#include <array>
#include <cmath>

#include "display/tuner_geometry.h"

namespace art {

// ---------------------------------------------------------------------------------------------------
// Tuner

using tuner_geometry::kFaceX;
using tuner_geometry::kFaceY;
using tuner_geometry::kLampX;
using tuner_geometry::kLampY;
using tuner_geometry::kNeedle;
using tuner_geometry::kPivotX;
using tuner_geometry::kPivotY;
using tuner_geometry::NeedleEnd;

// ---------------------------------------------------------------------------------------------------
// Metronome

constexpr int kBodyX = 85, kBodyY = 55;  // "Metronome.bmp"

// Rod picture top-left corner by rod position 0..36 (picture bar<p + 1>).
constexpr std::array<std::array<int, 2>, 37> kRod = {{
    {85, 388},  {87, 367},  {88, 346},  {92, 328},  {98, 309},  {107, 289}, {116, 272}, {127, 254},
    {139, 239}, {152, 224}, {168, 210}, {184, 197}, {200, 187}, {218, 179}, {238, 171}, {257, 164},
    {276, 160}, {296, 158}, {317, 159}, {317, 158}, {317, 160}, {317, 164}, {317, 171}, {317, 179},
    {317, 187}, {317, 197}, {317, 210}, {317, 224}, {317, 239}, {317, 254}, {317, 272}, {317, 289},
    {317, 309}, {317, 328}, {317, 346}, {317, 367}, {317, 388},
}};

// Weight picture top-left corner at tempo 30 by rod position (picture T<p + 1>).
constexpr std::array<std::array<int, 2>, 37> kWeight = {{
    {54, 370},  {52, 346},  {55, 321},  {57, 300},  {62, 277},  {69, 258},  {80, 239},  {91, 219},
    {104, 203}, {118, 188}, {135, 175}, {152, 163}, {169, 153}, {187, 142}, {207, 136}, {230, 130},
    {249, 126}, {271, 126}, {300, 129}, {316, 128}, {334, 128}, {349, 133}, {367, 136}, {384, 143},
    {401, 153}, {416, 163}, {430, 175}, {445, 188}, {458, 203}, {472, 219}, {482, 239}, {490, 258},
    {500, 277}, {509, 300}, {512, 321}, {517, 343}, {520, 370},
}};

// The pendulum those tables describe: it turns about this point, 5 degrees per rod position, upright
// at position 18, and at tempo 30 the weight's centre sits this far up the rod.
constexpr double kRodPivotX = 321.0, kRodPivotY = 391.5;
constexpr double kRodLength = 229.0;  // pivot to the rounded tip's centre
constexpr double kRodWidth = 7.0;
constexpr double kWeightReach = 230.0;  // pivot to the weight's centre at tempo 30

// Tilt of the rod from upright in degrees, positive to the right (clockwise).
inline double RodTilt(int p) {
    return (p - 18) * 5.0;
}

// Where the weight picture goes (the screen's own rule, including its truncation).
inline std::array<int, 2> WeightSpot(int p, int tempo, bool running) {
    int wx = kWeight[p][0], wy = kWeight[p][1], r = tempo - 30;
    if (!running) return {wx, wy + r};
    double theta = (36 - p) * 5 * 3.141592 / 180;
    return {wx - int(std::cos(theta) * r), wy + int(std::sin(theta) * r)};
}

// Lowest and highest rod position of one swing, by tempo / 16.
constexpr std::array<std::array<int, 2>, 19> kSwing = {{
    {0, 36}, {0, 36}, {0, 36},  {1, 35},  {2, 34},  {3, 33},  {4, 32},  {5, 31},  {6, 30},  {7, 29},
    {8, 28}, {9, 27}, {10, 26}, {11, 25}, {12, 24}, {13, 23}, {14, 22}, {15, 21}, {16, 20},
}};

// The beat figure of a four-beat bar, in pattern units; a point (x, y) lands at (2x, 2y + 120).
constexpr std::array<std::array<int, 2>, 9> kConductFour = {{
    {163, 7},
    {164, 162},
    {141, 65},
    {100, 161},
    {39, 68},
    {152, 159},
    {286, 60},
    {228, 157},
    {171, 23},
}};

constexpr int kConductorX = 0, kConductorY = 130;
constexpr int kCellY = 150;  // ball and signal rows
constexpr int kShadowY = 430, kShadowRestY = 420;

}  // namespace art
