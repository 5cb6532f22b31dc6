// winmm wave-out under the playback engine, and the playback operations the windows call.
#include "wavetools/playback_win.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "resources/resource_ids.h"
#include "wavetools/wave_file.h"

namespace {

// Each buffer is a header slot followed by its samples, all in one movable block.
constexpr std::uint32_t kHeaderSlotBytes = 32;
static_assert(sizeof(WAVEHDR) <= kHeaderSlotBytes, "a wave header fits its slot");

// Runs on a system thread: only hands the returned header to the owning window.
void CALLBACK OnDeviceMessage(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR header, DWORD_PTR) {
    if (message == WOM_DONE) {
        PostMessageW(reinterpret_cast<HWND>(instance), WM_APP_PLAY_DONE, 0, static_cast<LPARAM>(header));
    }
}

class WinmmDevice : public OutputDevice {
public:
    bool Open(const DeviceFormat& format, HWND__* owner) override {
        WAVEFORMATEX wave = {};
        wave.wFormatTag = WAVE_FORMAT_PCM;
        wave.nChannels = static_cast<WORD>(format.channels);
        wave.nSamplesPerSec = static_cast<DWORD>(format.rate);
        wave.wBitsPerSample = static_cast<WORD>(format.bits);
        wave.nBlockAlign = static_cast<WORD>(format.channels * format.bits / 8);
        wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
        wave.cbSize = 0;
        if (waveOutOpen(&handle_, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(OnDeviceMessage),
                        reinterpret_cast<DWORD_PTR>(owner), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
            handle_ = nullptr;
            return false;
        }
        return true;
    }

    bool PrepareBuffers(std::uint32_t length, std::array<std::uint8_t*, PlayBufferCount>& data) override {
        ReleaseBlock();
        block_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, PlayBufferCount * (kHeaderSlotBytes + length));
        if (!block_) return false;
        auto* base = static_cast<std::uint8_t*>(GlobalLock(block_));
        if (!base) {
            ReleaseBlock();
            return false;
        }
        for (int i = 0; i < PlayBufferCount; ++i) {
            std::uint8_t* slot = base + static_cast<std::size_t>(i) * (kHeaderSlotBytes + length);
            auto* header = reinterpret_cast<WAVEHDR*>(slot);
            header->lpData = reinterpret_cast<LPSTR>(slot + kHeaderSlotBytes);
            header->dwBufferLength = length;
            data[static_cast<std::size_t>(i)] = slot + kHeaderSlotBytes;
            // A buffer the device can't take would never come back, and playback never end.
            if (waveOutPrepareHeader(handle_, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
                UnprepareAll();
                ReleaseBlock();
                return false;
            }
            headers_[static_cast<std::size_t>(i)] = header;
        }
        return true;
    }

    void Write(int index) override {
        WAVEHDR* header = headers_[static_cast<std::size_t>(index)];
        if (header) waveOutWrite(handle_, header, sizeof(WAVEHDR));
    }

    void Close() override {
        if (handle_) waveOutReset(handle_);
        UnprepareAll();
        if (handle_) waveOutClose(handle_);
        handle_ = nullptr;
        ReleaseBlock();
    }

    unsigned Volume() override {
        DWORD volume = 0;
        if (!handle_ || waveOutGetVolume(handle_, &volume) != MMSYSERR_NOERROR) return 0;
        return volume;
    }

    void SetVolume(unsigned value) override {
        if (handle_) waveOutSetVolume(handle_, value);
    }

    // The buffer behind a WM_APP_PLAY_DONE, or -1. Only the addresses are compared, so a header
    // of a block already freed is never read; a header that the device holds again (an old
    // message about a slot that was written since) is not done and is skipped.
    int IndexOf(LPARAM returned) const {
        for (int i = 0; i < PlayBufferCount; ++i) {
            WAVEHDR* header = headers_[static_cast<std::size_t>(i)];
            if (header && reinterpret_cast<LPARAM>(header) == returned) {
                return (header->dwFlags & WHDR_DONE) ? i : -1;
            }
        }
        return -1;
    }

private:
    void UnprepareAll() {
        for (WAVEHDR*& header : headers_) {
            if (header && handle_) waveOutUnprepareHeader(handle_, header, sizeof(WAVEHDR));
            header = nullptr;
        }
    }

    void ReleaseBlock() {
        if (!block_) return;
        GlobalUnlock(block_);
        GlobalFree(block_);
        block_ = nullptr;
    }

    HWAVEOUT handle_ = nullptr;
    HGLOBAL block_ = nullptr;
    std::array<WAVEHDR*, PlayBufferCount> headers_{};
};

class WindowEvents : public PlaybackEvents {
public:
    void DeviceUnavailable(HWND__* owner) override {
        MessageBoxW(owner, L"Cannot open playing device", nullptr, MB_OK);
    }
    void ToneEnded() override {
        if (app.dialogs.sine_wave) SendMessageW(app.dialogs.sine_wave, WM_APP_TONE_END, 0, 0);
    }
    void AnalysisPlayEnded() override {
        if (app.main_window) SendMessageW(app.main_window, WM_APP_WAVE_PLAY_END, 0, 0);
    }
    void CancelerPlayEnded() override {
        HWND dialog = app.dialogs.vocal_canceler;
        if (!dialog) return;
        SendMessageW(dialog, WM_APP_CANCELER_PLAY_END, 0, 0);
        SendDlgItemMessageW(dialog, IDC_CANCELER_PLAY_POSITION, PBM_SETPOS, 100, 0);
    }
    void CancelerProgress(int percent) override {
        if (app.dialogs.vocal_canceler) {
            SendDlgItemMessageW(app.dialogs.vocal_canceler, IDC_CANCELER_PLAY_POSITION, PBM_SETPOS, percent, 0);
        }
    }
    void CancelerProgressRestart() override {
        HWND dialog = app.dialogs.vocal_canceler;
        if (!dialog) return;
        SendDlgItemMessageW(dialog, IDC_CANCELER_PLAY_POSITION, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendDlgItemMessageW(dialog, IDC_CANCELER_PLAY_POSITION, PBM_SETSTEP, 1, 0);
        SendDlgItemMessageW(dialog, IDC_CANCELER_PLAY_POSITION, PBM_SETPOS, 0, 0);
    }
};

WinmmDevice device;
WindowEvents events;
PlaybackEngine engine(app, device, events);

}  // namespace

int OpenSharedDevice(HWND window) {
    return engine.OpenSharedDevice(window);
}

int OpenSourceDevice(const WaveSource& source, HWND window) {
    return engine.OpenSourceDevice(source, window);
}

int OpenToneDevice() {
    return engine.OpenSourceDevice(tone_source, app.main_window);
}

void CloseDevice() {
    engine.CloseDevice();
}

unsigned DeviceVolume() {
    return engine.DeviceVolume();
}

void SetPlayVolume(unsigned value) {
    engine.SetPlayVolume(value);
}

int StartBuffers(WaveSource& source) {
    return engine.StartBuffers(source);
}

void RefillBuffer(WaveSource& source, LPARAM header) {
    engine.RefillBuffer(source, device.IndexOf(header));
}

void StopStream() {
    engine.StopStream(stream_source);
}

int StartTone() {
    return engine.StartTone(tone_source, app.main_window);
}

void StopTone() {
    engine.StopTone(tone_source);
}

int StartAnalysisPlay(const std::string& path) {
    if (app.playback_open) return -1;
    if (!OpenWaveStream(path, stream_source, false)) return -1;
    const int result = engine.StartStreamPlay(stream_source, kPlayAnalysis, app.main_window);
    if (result == -2) MessageBoxW(app.main_window, L"Cannot open playing device", L"", MB_OK);
    return result;
}

bool SeekStream(int direction, int ms) {
    return engine.SeekStream(stream_source, direction, ms, app.dialogs.vocal_canceler);
}
