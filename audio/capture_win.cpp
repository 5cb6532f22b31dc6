// Wave-input capture through winmm. The device callback only posts; all work is on the main thread.
#include "audio/capture_win.h"

#include <mmsystem.h>

#include <array>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "audio/analysis_log.h"
#include "audio/capture_engine.h"
#include "audio/detectors.h"
#include "display/images_win.h"
#include "display/spectrum_display_win.h"

namespace {

void CALLBACK CaptureCallback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    if (message == WIM_DATA) {
        PostMessageW(reinterpret_cast<HWND>(instance), WM_APP_CAPTURE_DATA, 0, static_cast<LPARAM>(param1));
    }
}

class WinmmCaptureDevice : public CaptureDevice {
public:
    void SetWindow(HWND window) { window_ = window; }

    bool Open(int samples_per_second) override {
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = static_cast<DWORD>(samples_per_second);
        format.nAvgBytesPerSec = static_cast<DWORD>(samples_per_second) * 2;
        format.nBlockAlign = 2;
        format.wBitsPerSample = 16;
        device_ = nullptr;
        MMRESULT result = waveInOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(CaptureCallback),
                                     reinterpret_cast<DWORD_PTR>(window_), CALLBACK_FUNCTION);
        if (result != MMSYSERR_NOERROR) device_ = nullptr;
        return device_ != nullptr;
    }

    void Attach(int index, int16_t* samples, int sample_count) override {
        WAVEHDR& header = headers_[index];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(samples);
        header.dwBufferLength = static_cast<DWORD>(sample_count * sizeof(int16_t));
        attached_[index] = true;
    }

    bool Queue(int index) override {
        if (!device_) return false;
        WAVEHDR* header = &headers_[index];
        if (waveInPrepareHeader(device_, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
        return waveInAddBuffer(device_, header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    }

    bool Start() override { return device_ && waveInStart(device_) == MMSYSERR_NOERROR; }

    void Close() override {
        if (device_) {
            waveInStop(device_);
            waveInReset(device_);
            for (int k = 0; k < kCaptureBuffers; ++k) {
                if (attached_[k]) waveInUnprepareHeader(device_, &headers_[k], sizeof(WAVEHDR));
            }
            waveInClose(device_);
        }
        device_ = nullptr;
        attached_.fill(false);
    }

private:
    HWND window_ = nullptr;
    HWAVEIN device_ = nullptr;
    std::array<WAVEHDR, kCaptureBuffers> headers_{};
    std::array<bool, kCaptureBuffers> attached_{};
};

class WindowBacklog : public PendingNotifications {
public:
    explicit WindowBacklog(HWND window) : window_(window) {}
    bool Next(const int16_t*& samples) override {
        MSG msg;
        if (!PeekMessageA(&msg, window_, WM_APP_CAPTURE_DATA, WM_APP_CAPTURE_DATA, PM_REMOVE)) return false;
        samples = reinterpret_cast<const int16_t*>(reinterpret_cast<WAVEHDR*>(msg.lParam)->lpData);
        return true;
    }

private:
    HWND window_;
};

WinmmCaptureDevice device;
CaptureEngine engine(device, CaptureFlags{app.capture_running, app.refill_busy}, [] { Sleep(10); });
TunerDetectorState tuner_state;

void AnalyseFrame(const int16_t* frame) {
    bool accepted = RunDetector(app, spectra, CurrentSpectrumPicture(), tuner_state, frame);
    if (accepted) AppendAnalysisLog(app);
}

}  // namespace

void AllocateCaptureFrame() { engine.AllocateFrame(); }
const int16_t* AnalysisFrame() { return engine.frame(); }
void FreeCaptureFrame() { engine.FreeFrame(); }

int OpenCapture(HWND window) {
    device.SetWindow(window);
    bool opened = engine.Open(app.half_sampling_hz);
    app.capture_running = opened ? 1 : 0;
    return opened ? 0 : -1;
}

void StartCapture() { engine.Start(); }
void StopCapture() { engine.Stop(); }

void OnCaptureData(HWND window, LPARAM header) {
    const auto* filled = reinterpret_cast<const int16_t*>(reinterpret_cast<WAVEHDR*>(header)->lpData);
    WindowBacklog backlog(window);
    engine.OnData(filled, backlog, AnalyseFrame, InvalidateDrawingArea);
}
