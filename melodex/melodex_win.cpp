// Melodex: a second capture of the recording input, analysed frame by frame on behalf of the
// host window. It keeps no result; what it shows the host is the capture and its status.
#define MELODEX_BUILD
#include "melodex/melodex.h"

#include "app/app_messages.h"
#include "audio/capture_engine.h"
#include "audio/spectra.h"
#include "audio/wave_in_device_win.h"

namespace {

constexpr int kMelodexHalfRate = 22050;

// The library has no busy handler of its own, so stopping never waits.
Shared<int> running{0};
Shared<int> never_busy{0};
WaveInDevice device(WM_APP_MELODEX_DATA);
CaptureEngine engine(device, CaptureFlags{running, never_busy}, [] {});
bool frame_ready = false;

class NoBacklog : public PendingNotifications {
public:
    bool Next(const int16_t*&) override { return false; }
};

// The frame analysis: both spectra and the peak of each of the 88 columns.
void AnalyseFrame(const int16_t* frame, bool with_long) {
    spectra.Compute(frame, with_long);
    for (int column = 0; column < kKeyCount; ++column) spectra.ColumnLevel(column, 1);
}

}  // namespace

int MelodexInitialize() {
    spectra.BuildTables(kMelodexHalfRate);
    engine.AllocateFrame();
    frame_ready = true;
    return 0;
}

HWND SetWindowHandle(HWND window) {
    device.SetWindow(window);
    return window;
}

BYTE StartMelodex() {
    if (running) return 1;
    running = engine.Open(kMelodexHalfRate) ? 1 : 0;
    if (running) engine.Start();
    return static_cast<BYTE>(running.load());
}

void StopMelodex() {
    engine.Stop();
}

BYTE GetMelodexStatus() {
    return static_cast<BYTE>(running.load());
}

void MelodexProc(LPARAM header, int flag) {
    if (!frame_ready || !running || !header) return;
    NoBacklog none;
    engine.OnData(
        WaveInDevice::SamplesOf(header), none, [flag](const int16_t* frame) { AnalyseFrame(frame, flag == 0); }, [] {});
}
