// The output device: opening it in the shared format, its volume, and refilling played buffers.
#ifndef HARMOLAB_WAVETOOLS_PLAYBACK_WIN_H
#define HARMOLAB_WAVETOOLS_PLAYBACK_WIN_H

#include <windows.h>

// Opens the output device in the shared output format for the given window: 0 success, -1 failure.
int OpenSharedDevice(HWND window);
void CloseDevice();
// The device's current volume (high word left, low word right); 0 when closed.
unsigned DeviceVolume();
// Gives the value to the device while it is open.
void SetPlayVolume(unsigned value);
// Refills a played buffer from the source of the current play kind.
void RefillBuffer(int play_kind, LPARAM header);

#endif
