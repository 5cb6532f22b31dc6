// winmm wave input. The callback runs on a system thread and only posts.
#include "audio/wave_in_device_win.h"

void CALLBACK WaveInDevice::Callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    if (message != WIM_DATA) return;
    auto* self = reinterpret_cast<WaveInDevice*>(instance);
    PostMessageW(self->window_, self->message_, 0, static_cast<LPARAM>(param1));
}

bool WaveInDevice::Open(int samples_per_second) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(samples_per_second);
    format.nAvgBytesPerSec = static_cast<DWORD>(samples_per_second) * 2;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 16;
    device_ = nullptr;
    MMRESULT result = waveInOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(Callback),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) device_ = nullptr;
    return device_ != nullptr;
}

void WaveInDevice::Attach(int index, int16_t* samples, int sample_count) {
    WAVEHDR& header = headers_[index];
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(samples);
    header.dwBufferLength = static_cast<DWORD>(sample_count * sizeof(int16_t));
    attached_[index] = true;
}

bool WaveInDevice::Queue(int index) {
    if (!device_) return false;
    WAVEHDR* header = &headers_[index];
    // A header the device still holds must never be added a second time.
    if (header->dwFlags & WHDR_INQUEUE) return false;
    if (waveInPrepareHeader(device_, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    return waveInAddBuffer(device_, header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool WaveInDevice::Start() {
    return device_ && waveInStart(device_) == MMSYSERR_NOERROR;
}

void WaveInDevice::Close() {
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

bool WaveInDevice::IsFilled(int index) const {
    if (!device_ || index < 0 || index >= kCaptureBuffers || !attached_[index]) return false;
    DWORD flags = headers_[index].dwFlags;
    return (flags & WHDR_DONE) && !(flags & WHDR_INQUEUE);
}

int WaveInDevice::IndexOf(LPARAM header) const {
    for (int k = 0; k < kCaptureBuffers; ++k) {
        if (header == reinterpret_cast<LPARAM>(&headers_[k])) return k;
    }
    return kNotOurBuffer;
}
