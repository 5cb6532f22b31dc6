// Tables of the metronome that the beat engine, the screen and the image set share: rod and weight
// positions, the swing range by tempo, bar lengths and the conductor's beat figures.
#ifndef HARMOLAB_DISPLAY_METRONOME_TABLES_H
#define HARMOLAB_DISPLAY_METRONOME_TABLES_H

#include <array>
#include <cmath>

#include "app/app_state.h"

namespace metronome_tables {

constexpr int kRodPositions = 37;  // 0..36, 18 upright
constexpr int kRestPosition = 18;

// Rod picture top-left corner by rod position (picture bar<p + 1>).
constexpr std::array<std::array<int, 2>, kRodPositions> kRod = {{
    {85, 388},  {87, 367},  {88, 346},  {92, 328},  {98, 309},  {107, 289}, {116, 272}, {127, 254},
    {139, 239}, {152, 224}, {168, 210}, {184, 197}, {200, 187}, {218, 179}, {238, 171}, {257, 164},
    {276, 160}, {296, 158}, {317, 159}, {317, 158}, {317, 160}, {317, 164}, {317, 171}, {317, 179},
    {317, 187}, {317, 197}, {317, 210}, {317, 224}, {317, 239}, {317, 254}, {317, 272}, {317, 289},
    {317, 309}, {317, 328}, {317, 346}, {317, 367}, {317, 388},
}};

// Weight picture top-left corner at the slowest tempo by rod position (picture T<p + 1>).
constexpr std::array<std::array<int, 2>, kRodPositions> kWeight = {{
    {54, 370},  {52, 346},  {55, 321},  {57, 300},  {62, 277},  {69, 258},  {80, 239},  {91, 219},
    {104, 203}, {118, 188}, {135, 175}, {152, 163}, {169, 153}, {187, 142}, {207, 136}, {230, 130},
    {249, 126}, {271, 126}, {300, 129}, {316, 128}, {334, 128}, {349, 133}, {367, 136}, {384, 143},
    {401, 153}, {416, 163}, {430, 175}, {445, 188}, {458, 203}, {472, 219}, {482, 239}, {490, 258},
    {500, 277}, {509, 300}, {512, 321}, {517, 343}, {520, 370},
}};

// Where the weight picture goes: while running it slides along the tilted rod by the tempo, at
// rest straight down; both put faster tempos nearer the pivot.
inline std::array<int, 2> WeightSpot(int p, int tempo, bool running) {
    int wx = kWeight[p][0], wy = kWeight[p][1], r = tempo - kMinTempo;
    if (!running) return {wx, wy + r};
    double theta = (36 - p) * 5 * 3.141592 / 180;
    return {wx - static_cast<int>(std::cos(theta) * r), wy + static_cast<int>(std::sin(theta) * r)};
}

// Lowest and highest rod position of one swing, by tempo / 16 (indexes 1..18 occur).
constexpr std::array<std::array<int, 2>, 19> kSwing = {{
    {0, 36}, {0, 36}, {0, 36},  {1, 35},  {2, 34},  {3, 33},  {4, 32},  {5, 31},  {6, 30},  {7, 29},
    {8, 28}, {9, 27}, {10, 26}, {11, 25}, {12, 24}, {13, 23}, {14, 22}, {15, 21}, {16, 20},
}};

struct SwingRange {
    int lo, hi;
};

constexpr SwingRange SwingFor(int tempo) {
    int index = tempo / 16;
    if (index < 0) index = 0;
    if (index > 18) index = 18;
    return {kSwing[index][0], kSwing[index][1]};
}

// Places on the 640 x 480 screen, top-left corners, for the screen and the image set's preview.
constexpr int kBodyX = 85, kBodyY = 55;                                       // the Normal kind's metronome body
constexpr int kBodyTempoDownX = 250, kBodyTempoUpX = 346, kBodyTempoY = 352;  // its tempo buttons
constexpr int kTempoLabelX = 250, kTempoLabelY = 5;                           // the other kinds' tempo label
constexpr int kTopTempoDownX = 370, kTopTempoUpX = 575, kTopTempoY = 10;      // and their tempo buttons
constexpr int kConductorX = 0, kConductorY = 130;                             // the conductor at rest
constexpr int kCellY = 150;                                                   // ball and signal rows
constexpr int kShadowRunY = 430, kShadowRestY = 420;                          // the balls' shadows

// Beats per bar and the digit shown, by beat_no 0..6.
constexpr std::array<int, 7> kBeatsPerBar = {2, 2, 3, 4, 5, 6, 0};
constexpr std::array<int, 7> kBarDigit = {0, 2, 3, 4, 5, 6, 0};

constexpr int BeatsPerBar(int beat_no) {
    return (beat_no >= 0 && beat_no <= 6) ? kBeatsPerBar[beat_no] : 2;
}

// Conductor figures for bars of 2..6 beats: 2n + 1 points in pattern units, a point (x, y) drawn at
// (2x, 2y + 120); beat i runs from point 2i through 2i + 1 to 2i + 2.
struct Point {
    int x, y;
};
constexpr Point kConductTwo[] = {{80, 24}, {178, 166}, {273, 19}, {159, 164}, {58, 13}};
constexpr Point kConductThree[] = {{162, 5}, {100, 164}, {37, 67}, {158, 161}, {276, 67}, {217, 161}, {170, 24}};
constexpr Point kConductFour[] = {{163, 7},   {164, 162}, {141, 65},  {100, 161}, {39, 68},
                                  {152, 159}, {286, 60},  {228, 157}, {171, 23}};
constexpr Point kConductFive[] = {{158, 7},  {159, 159}, {135, 40}, {84, 158},  {15, 66}, {168, 158},
                                  {167, 98}, {218, 156}, {302, 66}, {169, 154}, {169, 20}};
constexpr Point kConductSix[] = {{154, 6},   {155, 163}, {151, 43},  {103, 159}, {76, 89},   {44, 159}, {12, 88},
                                 {164, 165}, {164, 86},  {210, 156}, {293, 88},  {262, 157}, {161, 20}};

}  // namespace metronome_tables

#endif
