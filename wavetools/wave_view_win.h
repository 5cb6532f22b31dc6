// The Wave View window: a top-level window on a thread of its own that draws the file open in
// stream_source as a waveform and steps through it.
#ifndef HARMOLAB_WAVETOOLS_WAVE_VIEW_WIN_H
#define HARMOLAB_WAVETOOLS_WAVE_VIEW_WIN_H

#include <string>

// Main thread. Starts the window's thread on the file that OpenWaveStream (header only) has just
// opened into stream_source; the window stores its handle in app.dialogs.wave_view once it
// exists. False when the thread could not be started (the stream is then closed).
bool StartWaveView(const std::string& path);

// Main thread. True while a started thread has not made its window yet (a second start must wait).
bool WaveViewStarting();

// Main thread. Closes the window (it runs its own WM_DESTROY on its thread) and waits for the
// thread to end; afterwards the stream is closed and app.dialogs.wave_view is null.
void CloseWaveView();

// Timer thread, every tick: the arrow keys' repetition while the window exists.
void RepeatWaveViewKeys();

#endif
