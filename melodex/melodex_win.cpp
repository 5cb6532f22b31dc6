// Melodex: a second capture of the recording input, analysed frame by frame on behalf of the
// host window. It keeps no result; what it shows the host is the capture and its status.
#define MELODEX_BUILD
#include "melodex/melodex.h"

#include "app/app_messages.h"
#include "audio/wave_in_device_win.h"
#include "melodex/melodex_tracker.h"

namespace {

WaveInDevice device(WM_APP_MELODEX_DATA);
MelodexTracker tracker(device, spectra);

}  // namespace

int MelodexInitialize() {
    tracker.Initialize();
    return 0;
}

HWND SetWindowHandle(HWND window) {
    device.SetWindow(window);
    return window;
}

BYTE StartMelodex() {
    return tracker.Start() ? 1 : 0;
}

void StopMelodex() {
    tracker.Stop();
}

BYTE GetMelodexStatus() {
    return tracker.Running() ? 1 : 0;
}

void MelodexProc(LPARAM header, int flag) {
    tracker.Proc(device.IndexOf(header), flag == 0);
}
