// Where the screens put the pictures: the positions and tables the art must agree with.
//
// The tuner and metronome screens draw each picture at a fixed top-left corner of the 640 x 480
// screen; the meter needle, the pendulum rod and its weight move by tables. The pictures are drawn
// to fit these numbers, and the preview composes the screens from them.
#pragma once

#include <array>
#include <cmath>

#include "display/metronome_tables.h"
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

using metronome_tables::kBodyX;
using metronome_tables::kBodyY;

using metronome_tables::kRod;
using metronome_tables::kSwing;
using metronome_tables::kWeight;
using metronome_tables::WeightSpot;

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

// The beat figure of a four-beat bar, in pattern units; a point (x, y) lands at (2x, 2y + 120).
constexpr std::array<std::array<int, 2>, 9> kConductFour = [] {
    std::array<std::array<int, 2>, 9> points{};
    for (int i = 0; i < 9; ++i) points[i] = {metronome_tables::kConductFour[i].x, metronome_tables::kConductFour[i].y};
    return points;
}();

using metronome_tables::kCellY;
using metronome_tables::kConductorX;
using metronome_tables::kConductorY;
using metronome_tables::kShadowRestY;
using metronome_tables::kShadowRunY;

}  // namespace art
