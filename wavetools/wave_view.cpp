// The Wave View's positions, steps, trace mapping, layout, texts and key repetition.
#include "wavetools/wave_view.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "wavetools/pcm.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_source.h"

WaveViewKeys wave_view_keys;

const std::array<ButtonCaption, 8> kWaveViewButtons = {{
    {IDC_WAVE_VIEW_SECOND_BACK, "<<"},
    {IDC_WAVE_VIEW_BACK, "<"},
    {IDC_WAVE_VIEW_FORWARD, ">"},
    {IDC_WAVE_VIEW_SECOND_FORWARD, ">>"},
    {IDC_WAVE_VIEW_WIDER, "W"},
    {IDC_WAVE_VIEW_NARROWER, "d"},
    {IDC_WAVE_VIEW_FIRST, "|<"},
    {IDC_WAVE_VIEW_LAST, ">|"},
}};

WaveView MakeWaveView(int screenWidth, int screenHeight, int menuHeight, int captionHeight) {
    WaveView view;
    view.screenW = std::max(0, screenWidth);
    view.screenH = std::max(0, screenHeight - menuHeight - captionHeight);
    view.viewWidth = std::max(0, view.screenW - 2 * kWaveViewMargin);
    return view;
}

std::uint32_t FrameBytes(const WaveViewFile& file) {
    if (file.channels <= 0 || file.bits < 8) return 0;
    return static_cast<std::uint32_t>(file.bits / 8 * file.channels);
}

int PointDivisor(const WaveView& view) {
    return view.detail ? 10 : 1;
}

int PointCount(const WaveView& view) {
    return view.viewWidth / PointDivisor(view);
}

namespace {

std::int64_t WindowBytes64(const WaveView& view, const WaveViewFile& file) {
    return std::int64_t{PointCount(view)} * FrameBytes(file) * std::max(1, view.analyzePer);
}

// The last full screen's position, on a whole frame; the start when the data is shorter.
std::int64_t LastScreen64(const WaveView& view, const WaveViewFile& file) {
    const std::int64_t window = WindowBytes64(view, file);
    if (std::int64_t{file.dataBytes} < window) return file.dataOffset;
    std::int64_t offset = std::int64_t{file.dataBytes} - window;
    const std::uint32_t frame = FrameBytes(file);
    if (frame > 0) offset -= offset % frame;
    return file.dataOffset + offset;
}

std::int64_t FramesToBytes(const WaveViewFile& file, std::int64_t frames) {
    return frames * FrameBytes(file);
}

}  // namespace

std::uint32_t WindowBytes(const WaveView& view, const WaveViewFile& file) {
    return static_cast<std::uint32_t>(std::min<std::int64_t>(WindowBytes64(view, file), 0xFFFFFFFF));
}

int MaxAnalyzePer(const WaveView& view, const WaveViewFile& file) {
    const std::int64_t perStep = std::int64_t{view.viewWidth} * FrameBytes(file);
    if (perStep <= 0) return 1;
    return static_cast<int>(std::max<std::int64_t>(1, StreamBufferBytes / perStep));
}

std::int32_t FirstScreen(const WaveViewFile& file) {
    return file.dataOffset;
}

std::int32_t LastScreen(const WaveView& view, const WaveViewFile& file) {
    return static_cast<std::int32_t>(LastScreen64(view, file));
}

std::int32_t MoveBack(const WaveView& view, const WaveViewFile& file, std::int32_t pos, std::int64_t frames) {
    if (std::int64_t{file.dataBytes} < WindowBytes64(view, file)) return file.dataOffset;
    const std::int64_t step = FramesToBytes(file, frames);
    const std::int64_t from = std::clamp<std::int64_t>(pos, file.dataOffset, LastScreen64(view, file));
    if (from - file.dataOffset >= step) return static_cast<std::int32_t>(from - step);
    return file.dataOffset;
}

std::int32_t MoveForward(const WaveView& view, const WaveViewFile& file, std::int32_t pos, std::int64_t frames) {
    if (std::int64_t{file.dataBytes} < WindowBytes64(view, file)) return file.dataOffset;
    const std::int64_t last = LastScreen64(view, file);
    const std::int64_t to = std::int64_t{std::max(pos, file.dataOffset)} + FramesToBytes(file, frames);
    return static_cast<std::int32_t>(std::min(to, last));
}

bool ApplyWaveViewButton(int id, WaveView& view, const WaveViewFile& file, std::int32_t& pos) {
    switch (id) {
        case IDC_WAVE_VIEW_SECOND_BACK: pos = MoveBack(view, file, pos, file.rate); return true;
        case IDC_WAVE_VIEW_BACK: pos = MoveBack(view, file, pos, kWaveViewButtonStep); return true;
        case IDC_WAVE_VIEW_FORWARD: pos = MoveForward(view, file, pos, kWaveViewButtonStep); return true;
        case IDC_WAVE_VIEW_SECOND_FORWARD: pos = MoveForward(view, file, pos, file.rate); return true;
        case IDM_WAVE_VIEW_KEY_BACK: pos = MoveBack(view, file, pos, kWaveViewKeyStep); return true;
        case IDM_WAVE_VIEW_KEY_FORWARD: pos = MoveForward(view, file, pos, kWaveViewKeyStep); return true;
        case IDC_WAVE_VIEW_WIDER:
            // Beyond this the screen would no longer fit the stream buffer it is read into.
            view.analyzePer = std::min(view.analyzePer + 1, MaxAnalyzePer(view, file));
            pos = MoveForward(view, file, pos, 0);
            return true;
        case IDC_WAVE_VIEW_NARROWER:
            view.analyzePer = std::max(1, view.analyzePer - 1);
            pos = MoveForward(view, file, pos, 0);
            return true;
        case IDC_WAVE_VIEW_FIRST: pos = FirstScreen(file); return true;
        case IDC_WAVE_VIEW_LAST: pos = LastScreen(view, file); return true;
        default: return false;
    }
}

FileDuration TimeAt(const WaveViewFile& file, std::int32_t pos) {
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{pos} - file.dataOffset, 0, file.dataBytes);
    return DurationOfData(static_cast<std::uint32_t>(offset), file.rate, file.channels, file.bits);
}

namespace {

// A whole non-negative decimal number (blanks around it allowed); false otherwise.
bool ParseCount(const std::string& text, long long& value) {
    const char* begin = text.c_str();
    while (*begin == ' ') ++begin;
    if (*begin < '0' || *begin > '9') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(begin, &end, 10);
    if (errno != 0) return false;
    while (*end == ' ') ++end;
    return *end == '\0';
}

}  // namespace

bool JumpPosition(const WaveView& view, const WaveViewFile& file, const FileDuration& length,
                  const std::string& minutes, const std::string& seconds, std::int32_t& pos) {
    long long m = 0;
    long long s = 0;
    if (!ParseCount(minutes, m) || !ParseCount(seconds, s)) return false;
    if (m > 1000000000LL || s > 1000000000LL) return false;
    const long long target = m * 60 + s;
    const long long whole = std::int64_t{length.hours} * 3600 + length.minutes * 60 + length.seconds;
    if (target != 0 && target >= whole) return false;
    const std::int64_t bytes = target * file.rate * FrameBytes(file);
    const std::int64_t wanted = std::min<std::int64_t>(file.dataOffset + bytes, LastScreen64(view, file));
    pos = static_cast<std::int32_t>(std::max<std::int64_t>(wanted, file.dataOffset));
    return true;
}

std::string JumpMinutesText(const FileDuration& now) {
    return std::to_string(now.hours * 60 + now.minutes);
}

std::string JumpSecondsText(const FileDuration& now) {
    return std::to_string(now.seconds);
}

std::string WaveViewTitle(const std::string& path) {
    return "WaveView [" + path + "]";
}

std::string TimeText(const FileDuration& time) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d:%d:%d:%d", time.hours, time.minutes, time.seconds, time.milliseconds);
    return text;
}

std::string StepText(int analyzePer) {
    return "Step->" + std::to_string(analyzePer);
}

std::string LengthLimitText(const FileDuration& length) {
    return "MAX=" + TimeText(length) + "msec";
}

TraceAxis TraceAxisOf(const WaveView& view, int channels, int channel) {
    TraceAxis axis;
    if (channels < 2) {
        axis.centre = view.screenH / 2;
        axis.amplitude = view.screenH / 2;
        return axis;
    }
    axis.amplitude = (view.screenH - kWaveViewStereoBand) / 4;
    axis.centre = channel == 0 ? axis.amplitude : view.screenH - axis.amplitude;
    return axis;
}

int PointY(int value, const TraceAxis& axis) {
    return axis.centre - static_cast<int>(static_cast<double>(value) / 32767.0 * axis.amplitude);
}

std::vector<TracePoint> TracePoints(const WaveView& view, const WaveViewFile& file, const std::uint8_t* bytes,
                                    std::uint32_t loaded, int channel) {
    std::vector<TracePoint> points;
    const std::uint32_t frame = FrameBytes(file);
    if (!bytes || frame == 0 || channel < 0 || channel >= file.channels) return points;
    const TraceAxis axis = TraceAxisOf(view, file.channels, channel);
    const int divisor = PointDivisor(view);
    const int count = PointCount(view);
    const std::uint32_t sampleBytes = static_cast<std::uint32_t>(file.bits / 8);
    points.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const std::uint64_t at = std::uint64_t{static_cast<std::uint32_t>(k)} * std::max(1, view.analyzePer) * frame +
                                 std::uint64_t{sampleBytes} * channel;
        if (at + sampleBytes > loaded) break;
        points.push_back({kWaveViewMargin + k * divisor, PointY(PcmSample16(bytes + at, file.bits), axis)});
    }
    return points;
}

std::array<ButtonPlace, 8> ButtonLayout(const WaveView& view, int clientW, int clientH) {
    const double sx = view.screenW > 0 ? static_cast<double>(clientW) / view.screenW : 0.0;
    const double sy = view.screenH > 0 ? static_cast<double>(clientH) / view.screenH : 0.0;
    const int w = static_cast<int>(sx * 50);
    const int h = static_cast<int>(sy * 30);
    const int row = static_cast<int>(sy * (view.screenH / 2 - 15));
    const int upper = static_cast<int>(sy * (view.screenH / 2 - 75));
    const int right = static_cast<int>(sx * (view.screenW - 50));
    return {{
        {IDC_WAVE_VIEW_SECOND_BACK, 0, row, w, h},
        {IDC_WAVE_VIEW_BACK, w, row, w, h},
        {IDC_WAVE_VIEW_FORWARD, static_cast<int>(sx * (view.screenW - 100)), row, w, h},
        {IDC_WAVE_VIEW_SECOND_FORWARD, right, row, w, h},
        {IDC_WAVE_VIEW_WIDER, 0, 0, w, h},
        {IDC_WAVE_VIEW_NARROWER, 0, h, w, h},
        {IDC_WAVE_VIEW_FIRST, 0, upper, w, h},
        {IDC_WAVE_VIEW_LAST, right, upper, w, h},
    }};
}

namespace {

// One key's machine: 1 starts the delay (the key-down already stepped), 2 waits 30 ticks, 3
// repeats every 6. True when this tick repeats the step. The window clears the state on key-up
// from its own thread, so a state only advances if it is still the one read: a release between
// the read and the write must not be overwritten.
bool StepKey(Shared<int>& state, Shared<unsigned>& tickCount) {
    int current = state.load();
    switch (current) {
        case 1:
            if (state.compare_exchange_strong(current, 2)) tickCount = 0;
            return false;
        case 2:
            if (tickCount.load() > 30 && state.compare_exchange_strong(current, 3)) tickCount = 0;
            return false;
        case 3:
            if (tickCount.load() >= 6) {
                tickCount = 0;
                return true;
            }
            return false;
        default: return false;
    }
}

}  // namespace

WaveViewRepeat StepWaveViewKeys(WaveViewKeys& keys, Shared<unsigned>& tickCount) {
    if (keys.right.load() != 0) return StepKey(keys.right, tickCount) ? WaveViewRepeat::Forward : WaveViewRepeat::None;
    return StepKey(keys.left, tickCount) ? WaveViewRepeat::Back : WaveViewRepeat::None;
}
