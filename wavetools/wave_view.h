// The Wave View's arithmetic without a window: screen geometry, positions and steps in the file,
// the sample-to-pixel mapping of the traces, the button layout, the texts and the key repetition.
//
// Positions are file offsets in bytes (dataOffset is the first sample byte); steps are given in
// sample frames (one sample of every channel). The screen is ScreenW x ScreenH pixels with a
// 100-pixel grey margin on each side; the wave area between them is ViewWidth = ScreenW - 200
// columns wide.
#ifndef HARMOLAB_WAVETOOLS_WAVE_VIEW_H
#define HARMOLAB_WAVETOOLS_WAVE_VIEW_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/shared_value.h"
#include "resources/resource_ids.h"
#include "wavetools/wave_format.h"

constexpr int kWaveViewMargin = 100;      // grey band left and right of the wave area, pixels
constexpr int kWaveViewButtonStep = 200;  // frames of "<" and ">"
constexpr int kWaveViewKeyStep = 5000;    // frames of the arrow keys
constexpr int kWaveViewStereoBand = 30;   // height of the band between the two stereo traces

// What the view needs of the open file.
struct WaveViewFile {
    int rate = 0;                 // Hz
    int channels = 0;             // 1 or 2
    int bits = 0;                 // 8, 16, 24 or 32
    std::int32_t dataOffset = 0;  // file offset of the first sample byte
    std::uint32_t dataBytes = 0;  // size of the data chunk
};

struct WaveView {
    int screenW = 0;      // pixels, fixed at window creation
    int screenH = 0;      // screen height less the menu bar and the caption
    int viewWidth = 0;    // columns of the wave area, screenW - 200 (never below 0)
    int analyzePer = 1;   // sample frames per drawn point, >= 1
    bool detail = false;  // points 10 pixels apart instead of 1
};

// Geometry from the screen metrics; analyzePer 1, detail off.
WaveView MakeWaveView(int screenWidth, int screenHeight, int menuHeight, int captionHeight);

// Bytes of one sample frame; 0 for a format without whole bytes.
std::uint32_t FrameBytes(const WaveViewFile& file);
// Pixels between drawn points: 10 in detail mode, else 1.
int PointDivisor(const WaveView& view);
// Drawn points per trace: viewWidth / divisor.
int PointCount(const WaveView& view);
// Bytes that one screen shows: points x frame bytes x analyzePer.
std::uint32_t WindowBytes(const WaveView& view, const WaveViewFile& file);
// The largest analyzePer whose screen (at one pixel per point) still fits the stream buffer.
int MaxAnalyzePer(const WaveView& view, const WaveViewFile& file);

// The moves; each returns the new position. A file shorter than one screen always shows its
// start; otherwise positions stay between the first sample and the last full screen, and on
// whole frames.
std::int32_t MoveBack(const WaveView& view, const WaveViewFile& file, std::int32_t pos, std::int64_t frames);
std::int32_t MoveForward(const WaveView& view, const WaveViewFile& file, std::int32_t pos, std::int64_t frames);
std::int32_t FirstScreen(const WaveViewFile& file);
std::int32_t LastScreen(const WaveView& view, const WaveViewFile& file);

// The effect of a button (or the key-repeat commands) on the view: position and analyzePer.
// False for an id that is not a move.
bool ApplyWaveViewButton(int id, WaveView& view, const WaveViewFile& file, std::int32_t& pos);

// The time of a position, truncated to the millisecond.
FileDuration TimeAt(const WaveViewFile& file, std::int32_t pos);

// The time-jump dialog's "Go": minutes and seconds fields as typed. False (nothing moves) for a
// negative field, a field that is not a number, or a time at or beyond the file's length in
// whole seconds (the start, 0:0, is always accepted). On success pos is that time's position,
// clamped to the last full screen.
bool JumpPosition(const WaveView& view, const WaveViewFile& file, const FileDuration& length,
                  const std::string& minutes, const std::string& seconds, std::int32_t& pos);
// The fields the dialog opens with: total minutes (hours x 60 + minutes) and seconds.
std::string JumpMinutesText(const FileDuration& now);
std::string JumpSecondsText(const FileDuration& now);

// Texts.
std::string WaveViewTitle(const std::string& path);       // "WaveView [path]"
std::string TimeText(const FileDuration& time);           // "h:m:s:ms"
std::string StepText(int analyzePer);                     // "Step->n"
std::string LengthLimitText(const FileDuration& length);  // "MAX=h:m:s:msmsec"

struct TracePoint {
    int x = 0;
    int y = 0;
};

// Vertical placement of a trace: its centre line and the pixels of a full-scale sample.
struct TraceAxis {
    int centre = 0;
    int amplitude = 0;
};
// Mono: one axis at mid-height. Stereo: left channel above the band, right channel below it.
TraceAxis TraceAxisOf(const WaveView& view, int channels, int channel);
// y of a sample value: centre - trunc(v / 32767 x amplitude), positive values above the centre.
int PointY(int value, const TraceAxis& axis);

// The polyline of one channel over the loaded bytes (the screen starting at the view position):
// point k at x = 100 + k x divisor using frame k x analyzePer. Points whose frame was not loaded
// (the end of the data) are left out.
std::vector<TracePoint> TracePoints(const WaveView& view, const WaveViewFile& file, const std::uint8_t* bytes,
                                    std::uint32_t loaded, int channel);

// Where the eight buttons go for a client area of the given size (the screen is stretched to it).
struct ButtonPlace {
    int id = 0;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};
std::array<ButtonPlace, 8> ButtonLayout(const WaveView& view, int clientW, int clientH);
// Captions of the buttons, in the order of the ids 40050..40055, 40058, 40059.
struct ButtonCaption {
    int id;
    const char* text;
};
extern const std::array<ButtonCaption, 8> kWaveViewButtons;

// Arrow-key repetition driven by the 20 ms tick timer. The window sets a state to 1 on its key's
// key-down (after stepping once itself) and to 0 on key-up; the timer then waits 30 ticks and
// repeats every 6.
struct WaveViewKeys {
    Shared<int> right{0};
    Shared<int> left{0};
};
extern WaveViewKeys wave_view_keys;

enum class WaveViewRepeat { None, Forward, Back };
// One tick's step of the two state machines (the right arrow has priority). Resets tickCount
// whenever it changes a state or repeats.
WaveViewRepeat StepWaveViewKeys(WaveViewKeys& keys, Shared<unsigned>& tickCount);

#endif
