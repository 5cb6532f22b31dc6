// The output device (winmm wave-out) behind the playback engine, and the program's playback
// operations on the shared sources. GUI thread only: the device callback just posts
// WM_APP_PLAY_DONE to the window that opened the device.
#ifndef HARMOLAB_WAVETOOLS_PLAYBACK_WIN_H
#define HARMOLAB_WAVETOOLS_PLAYBACK_WIN_H

#include <windows.h>

#include <string>

#include "wavetools/playback_engine.h"

// Opening: 0 success, -1 failure (or already open). Buffer-done messages go to `window`.
// The shared output format (clicks' last file), for the start-up and exit volume.
int OpenSharedDevice(HWND window);
// A source's own format.
int OpenSourceDevice(const WaveSource& source, HWND window);
// The tone source's format, for the main window.
int OpenToneDevice();
void CloseDevice();

// The open device's volume (high word left, low word right); 0 when closed.
unsigned DeviceVolume();
// Gives the value to the device while it is open.
void SetPlayVolume(unsigned value);

// Fills and queues the first buffers from `source`; the number queued (0: device closed again).
int StartBuffers(WaveSource& source);
// WM_APP_PLAY_DONE: refills the returned buffer (lParam) from `source`. Returns from an earlier
// device, or after the close, are ignored.
void RefillBuffer(WaveSource& source, LPARAM header);

// Closes the device, frees the stream's buffer and closes its file.
void StopStream();

// Plays tone_source once for the main window: 0, -1 refused, -2 device unavailable.
int StartTone();
// The Play button's stop: device closed, tone freed, nothing playing.
void StopTone();

// WAVE analysis playback of `path` (command 40036): 0 playing, -1 not started, -2 device
// unavailable (the user has been told).
int StartAnalysisPlay(const std::string& path);

// Moves the stream played from the vocal-canceler dialog: 0 restart, > 0 forward, < 0 back.
bool SeekStream(int direction, int ms);

#endif
