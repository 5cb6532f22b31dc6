// The metronome's output stream: keeps the device's ring of buffers filled from the click track and
// moves the animation to what the device has played, so that each beat's picture changes when its
// click is heard. Runs on the stream's own thread, woken by the device; nothing here waits.
#ifndef HARMOLAB_DISPLAY_METRONOME_PLAYER_H
#define HARMOLAB_DISPLAY_METRONOME_PLAYER_H

#include <array>
#include <cstdint>

#include "app/app_state.h"
#include "display/click_track.h"
#include "display/metronome_engine.h"

// The output as the metronome sees it: a ring of equal buffers of 16-bit stereo 44,100 Hz frames that
// play in the order they are written, and the count of frames played.
class ClickOutput {
public:
    virtual ~ClickOutput() = default;
    virtual int BufferCount() const = 0;
    virtual int BufferFrames() const = 0;
    virtual std::int16_t* Buffer(int index) = 0;
    // True when buffer `index` was never written or has played out and may be filled again.
    virtual bool IsFree(int index) = 0;
    virtual void Write(int index) = 0;
    // Frames of the stream played so far; stands still while the device is paused.
    virtual std::int64_t PlayedFrames() = 0;
};

// The run state on screen follows the played frames: the steps between two beats are spread evenly
// over the frames between them, and the step that fires a beat comes at its click's first frame.
class BeatAnimation {
public:
    BeatAnimation(AppState& live, MetronomeOutput& screen) : live_(live), screen_(screen) {}
    // Takes every step due by frame `played`, by the track's schedule.
    void Follow(const ClickTrack& track, std::int64_t played);
    // Beats shown so far, the first one included.
    std::int64_t beats() const { return beats_; }

private:
    AppState& live_;
    MetronomeOutput& screen_;
    std::int64_t beats_ = 0;
    int steps_into_beat_ = 0;
};

class MetronomePlayer {
public:
    // `live`: the state the screen draws (as StartMetronome left it); `screen` takes its repaints.
    MetronomePlayer(AppState& live, ClickOutput& output, const std::array<ClickSound, 2>& sounds,
                    MetronomeOutput& screen);

    // One wake of the stream's thread: refills and queues, in ring order, every buffer that has come
    // back, then moves the animation on. Early, late or bunched wakes all come out the same.
    void Service();

    const ClickTrack& track() const { return track_; }
    const BeatAnimation& animation() const { return animation_; }

private:
    ClickOutput& output_;
    ClickTrack track_;
    BeatAnimation animation_;
    int next_buffer_ = 0;
};

#endif
