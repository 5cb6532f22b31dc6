// What the metronome screen shows for a given state: images and pen lines at back-buffer positions
// (640 x 480), in drawing order, for the four kinds; and where the pendulum weight can be grabbed.
// The Win32 painter only carries the list out.
#ifndef HARMOLAB_DISPLAY_METRONOME_LAYOUT_H
#define HARMOLAB_DISPLAY_METRONOME_LAYOUT_H

#include <array>
#include <vector>

#include "app/app_state.h"

// Pen colours of the conductor lines, as GDI colour values (0x00BBGGRR): the whole figure in light
// grey, the beats already traced in red.
constexpr unsigned kConductorFigureColour = 0xC8C8C8;
constexpr unsigned kConductorTraceColour = 0x0000C8;
constexpr int kConductorPenWidth = 2;

// The state the metronome screen reads.
struct MetronomeView {
    int kind = kKindNormal;  // 0..3; another value draws only the bar controls
    int tempo = 120;         // beats per minute, 30..300
    int beat_no = 0;         // bar-length index 0..6
    int pressed_button = 0;  // painted button held down, 0 none
    bool power_on = false;
    int rod_position = 18;   // 0..36, 18 upright
    int beat_index = 0;      // 0-based beat within the bar
    int bar_count = 0;       // 0..9999, nothing shown at 0
    int conductor_line = 0;  // 1: finished beats are cleared from the figure
    int ball_frame = 0;      // the ball's rotation picture of the previous paint, 0 or 1
    int shadow_width = 0;    // natural size of the ball shadow picture in pixels
    int shadow_height = 0;
};

// One drawing step. Images are copied with white transparent (keyed), as they are (opaque) or
// stretched to width x height (scaled, no transparency); a line is a polyline drawn with a solid
// pen of pen_width pixels.
struct MetronomeDraw {
    enum Kind { kKeyed, kOpaque, kScaled, kLine };
    Kind kind = kKeyed;
    int id = 0;  // image id
    int x = 0, y = 0;
    int width = 0, height = 0;  // scaled images only
    unsigned colour = 0;        // lines only, 0x00BBGGRR
    int pen_width = 0;
    std::vector<std::array<int, 2>> points;

    static MetronomeDraw Keyed(int id, int x, int y);
    static MetronomeDraw Opaque(int id, int x, int y);
    static MetronomeDraw Scaled(int id, int x, int y, int width, int height);
    static MetronomeDraw Line(unsigned colour, int pen_width, std::vector<std::array<int, 2>> points);

    bool operator==(const MetronomeDraw& o) const;
};

struct MetronomeScreen {
    std::vector<MetronomeDraw> items;  // in drawing order
    int ball_frame = 0;                // the rotation picture after this paint; store it back
};

MetronomeScreen MetronomeScreenItems(const MetronomeView& view);

// Readouts as {image id, x} pairs, leading zeros left out. The bar counter uses small digits at
// x 21, 37, 53, 69 and shows nothing before the first bar.
std::vector<std::array<int, 2>> BarCounterDigits(int bar_count);
// The tempo: small digits at x 296, 312, 328 (Normal kind) or large digits at 430, 480, 534.
std::vector<std::array<int, 2>> TempoDigits(int tempo, bool large);

// Number of Ball or Signal cells for a bar-length index (a bar without grouping shows 4), and the
// left edge of cell i: the row is centred on the screen, 100 pixels per cell.
int CellCount(int beat_no);
int CellX(int cells, int i);

// Ball in the cell of the current beat: position and shadow for the animation step.
struct BallPose {
    int ball_y;           // top of the ball picture
    int shadow_x_offset;  // from the cell's left edge
    int shadow_width, shadow_height;
};
BallPose BallPoseFor(int rod_position, int tempo, int shadow_width, int shadow_height);

// The conductor's red trace of the current beat: one or two segments in screen pixels, each
// {x0, y0, x1, y1}, growing with the rod position over one beat.
std::vector<std::array<int, 4>> CurrentBeatTrace(int beat_no, int beat_index, int rod_position, int tempo);

// Whether picture position (x, y) lies on the pendulum weight as it hangs at rest for the tempo;
// boxes of screen size 0 (normal) or 1 (half: every bound halved).
bool WeightHit(int rod_position, int tempo, int screen_size, int x, int y);
// Whether a drag may go on at (x, y): the weight's column between the top and the bottom of the rod.
bool WeightDragArea(int rod_position, int screen_size, int x, int y);

#endif
