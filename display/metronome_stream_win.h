// The metronome's one output stream while it runs, refilled by its own thread that the device wakes.
#ifndef HARMOLAB_DISPLAY_METRONOME_STREAM_WIN_H
#define HARMOLAB_DISPLAY_METRONOME_STREAM_WIN_H

#include <array>

#include "display/click_track.h"

// Opens the output for the run StartMetronome has just set up in `app` and starts the stream's
// thread. The clicks sound when the device is free and opens; while something else plays, or with
// empty sounds, the run keeps its time silently on the performance counter. A device that fails to
// open is reported once and the clicks stay off until the program restarts. `paused`: the run starts
// held, as PauseMetronomeStream leaves it. False when the thread can't be started.
bool StartMetronomeStream(const std::array<ClickSound, 2>& sounds, bool paused);
// Stops the thread, then closes the device. False when the thread wouldn't end; nothing it uses is
// freed then.
bool StopMetronomeStream();
// Pauses or resumes the stream where it is: the beat grid and the animation stand still with it.
void PauseMetronomeStream(bool paused);

#endif
