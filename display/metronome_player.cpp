// Refill of the metronome's output ring and the animation that follows the played frames.
#include "display/metronome_player.h"

void BeatAnimation::Follow(const ClickTrack& track, std::int64_t played) {
    while (beats_ < track.scheduled()) {
        // A thread held up for longer than the track remembers catches up step by step at once.
        const bool forgotten = track.scheduled() - beats_ > ClickTrack::kBeatMemory;
        const ScheduledBeat next = track.beat(beats_);
        // Beat 0 is the start's own step, at frame 0.
        const std::int64_t from = beats_ > 0 ? track.beat(beats_ - 1).frame : next.frame;
        const int steps = next.steps > 0 ? next.steps : 1;
        const std::int64_t due = from + (next.frame - from) * (steps_into_beat_ + 1) / steps;
        if (!forgotten && due > played) return;
        MetronomeStep(live_, screen_);
        if (++steps_into_beat_ >= steps) {
            steps_into_beat_ = 0;
            ++beats_;
        }
    }
}

MetronomePlayer::MetronomePlayer(AppState& live, ClickOutput& output, const std::array<ClickSound, 2>& sounds,
                                 MetronomeOutput& screen)
    : output_(output), track_(live, sounds), animation_(live, screen) {}

void MetronomePlayer::Service() {
    const int count = output_.BufferCount();
    for (int filled = 0; filled < count && output_.IsFree(next_buffer_); ++filled) {
        track_.Fill(output_.Buffer(next_buffer_), output_.BufferFrames());
        output_.Write(next_buffer_);
        next_buffer_ = (next_buffer_ + 1) % count;
    }
    animation_.Follow(track_, output_.PlayedFrames());
}
