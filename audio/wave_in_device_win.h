// The default wave-input device as a capture device: 16-bit mono, eight buffers, and a callback
// that only posts one message per filled buffer to a window.
#ifndef HARMOLAB_AUDIO_WAVE_IN_DEVICE_WIN_H
#define HARMOLAB_AUDIO_WAVE_IN_DEVICE_WIN_H

#include <windows.h>
#include <mmsystem.h>

#include <array>

#include "audio/capture_engine.h"

class WaveInDevice : public CaptureDevice {
public:
    // Filled buffers are posted to the window as `message` with the header in lParam.
    explicit WaveInDevice(UINT message) : message_(message) {}
    void SetWindow(HWND window) { window_ = window; }

    bool Open(int samples_per_second) override;
    void Attach(int index, int16_t* samples, int sample_count) override;
    bool Queue(int index) override;
    bool IsFilled(int index) const override;
    bool Start() override;
    void Close() override;

    // The buffer index of a header the callback posted, found by comparing the value with our own
    // headers before anything is read through it; kNotOurBuffer for any other value.
    int IndexOf(LPARAM header) const;

private:
    static void CALLBACK Callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR);

    UINT message_;
    HWND window_ = nullptr;
    HWAVEIN device_ = nullptr;
    std::array<WAVEHDR, kCaptureBuffers> headers_{};
    std::array<bool, kCaptureBuffers> attached_{};
};

#endif
