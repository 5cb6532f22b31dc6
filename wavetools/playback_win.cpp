// Wave-output device glue; the buffer engine arrives with the sound-out tools.
#include "wavetools/playback_win.h"

#include <mmsystem.h>

#include "app/app_state.h"
#include "wavetools/wave_format.h"

namespace {
HWAVEOUT device = nullptr;
}  // namespace

int OpenSharedDevice(HWND) {
    if (app.playback_open) return -1;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(shared_output_format.channels_minus_one + 1);
    format.nSamplesPerSec = static_cast<DWORD>(shared_output_format.rate);
    format.wBitsPerSample = static_cast<WORD>(shared_output_format.bits);
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) !=
        MMSYSERR_NOERROR) {
        device = nullptr;
        return -1;
    }
    app.playback_open = 1;
    return 0;
}

void CloseDevice() {
    app.playback_open = 0;
    if (!device) return;
    waveOutReset(device);
    waveOutClose(device);
    device = nullptr;
}

unsigned DeviceVolume() {
    DWORD volume = 0;
    if (!device || waveOutGetVolume(device, &volume) != MMSYSERR_NOERROR) return 0;
    return volume;
}

void SetPlayVolume(unsigned value) {
    if (app.playback_open && device) waveOutSetVolume(device, value);
}

void RefillBuffer(int, LPARAM) {}
