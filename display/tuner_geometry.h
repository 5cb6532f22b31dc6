// Geometry of the tuner's meter that the screen and the image set must agree on: where the face,
// the needle's pivot and the lamp sit, and where the needle ends for each cents value.
#ifndef HARMOLAB_DISPLAY_TUNER_GEOMETRY_H
#define HARMOLAB_DISPLAY_TUNER_GEOMETRY_H

#include <array>

namespace tuner_geometry {

constexpr int kFaceX = 145, kFaceY = 110;    // meter face, top-left corner
constexpr int kPivotX = 320, kPivotY = 271;  // needle pivot on the screen
constexpr int kLampX = 304, kLampY = 200;

// Needle end points relative to the face's top-left corner, for cents -50 .. +49.
constexpr std::array<std::array<int, 2>, 100> kNeedle = {{
    {12, 86},  {16, 80},  {21, 77},  {26, 72},  {32, 69},  {37, 66},  {42, 62},  {47, 60},  {52, 58},  {56, 56},
    {61, 54},  {66, 51},  {71, 49},  {76, 48},  {80, 46},  {85, 45},  {89, 43},  {93, 42},  {97, 41},  {101, 40},
    {105, 39}, {105, 39}, {109, 38}, {113, 37}, {117, 36}, {121, 35}, {125, 34}, {129, 33}, {133, 33}, {137, 33},
    {141, 33}, {141, 33}, {145, 32}, {145, 32}, {149, 32}, {149, 32}, {153, 32}, {153, 32}, {157, 32}, {157, 32},
    {161, 31}, {161, 31}, {165, 31}, {165, 31}, {168, 31}, {168, 31}, {172, 31}, {172, 31}, {175, 30}, {175, 30},
    {175, 30}, {175, 30}, {181, 32}, {181, 32}, {185, 32}, {185, 32}, {185, 32}, {185, 32}, {185, 32}, {190, 32},
    {190, 32}, {190, 32}, {195, 32}, {195, 32}, {195, 32}, {200, 32}, {200, 32}, {200, 32}, {205, 32}, {205, 32},
    {210, 32}, {210, 32}, {215, 33}, {220, 34}, {225, 35}, {230, 36}, {235, 37}, {240, 38}, {245, 39}, {250, 41},
    {255, 43}, {259, 44}, {264, 45}, {269, 47}, {274, 48}, {279, 50}, {284, 52}, {289, 54}, {293, 56}, {298, 58},
    {302, 60}, {306, 62}, {310, 65}, {314, 67}, {318, 70}, {322, 73}, {325, 76}, {329, 79}, {332, 83}, {336, 87},
}};

// End point for a cents value; +50 shares the +49 point, everything below -50 (no reading) the -50 point.
constexpr std::array<int, 2> NeedleEnd(int cents) {
    if (cents < -50) cents = -50;
    if (cents > 49) cents = 49;
    return kNeedle[cents + 50];
}

}  // namespace tuner_geometry

#endif
