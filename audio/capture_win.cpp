// Wave-input capture through winmm. The device callback only posts; all work is on the main thread.
#include "audio/capture_win.h"

#include "app/app_messages.h"
#include "app/app_state.h"
#include "audio/analysis_log.h"
#include "audio/capture_engine.h"
#include "audio/wave_in_device_win.h"
#include "audio/detectors.h"
#include "display/images_win.h"
#include "display/spectrum_display_win.h"

namespace {

WaveInDevice device(WM_APP_CAPTURE_DATA);

class WindowBacklog : public PendingNotifications {
public:
    explicit WindowBacklog(HWND window) : window_(window) {}
    bool Next(int& index) override {
        MSG msg;
        if (!PeekMessageA(&msg, window_, WM_APP_CAPTURE_DATA, WM_APP_CAPTURE_DATA, PM_REMOVE)) return false;
        index = device.IndexOf(msg.lParam);
        return true;
    }

private:
    HWND window_;
};

CaptureEngine engine(device, CaptureFlags{app.capture_running, app.refill_busy}, [] { Sleep(10); });
TunerDetectorState tuner_state;

void AnalyseFrame(const int16_t* frame) {
    bool accepted = RunDetector(app, spectra, CurrentSpectrumPicture(), tuner_state, frame);
    if (accepted) AppendAnalysisLog(app);
}

}  // namespace

void AllocateCaptureFrame() {
    engine.AllocateFrame();
}
const int16_t* AnalysisFrame() {
    return engine.frame();
}
void FreeCaptureFrame() {
    engine.FreeFrame();
}

int OpenCapture(HWND window) {
    device.SetWindow(window);
    bool opened = engine.Open(app.half_sampling_hz);
    app.capture_running = opened ? 1 : 0;
    return opened ? 0 : -1;
}

void StartCapture() {
    engine.Start();
}
void StopCapture() {
    engine.Stop();
}

void OnCaptureData(HWND window, LPARAM header) {
    WindowBacklog backlog(window);
    engine.OnData(device.IndexOf(header), backlog, AnalyseFrame, InvalidateDrawingArea);
}
