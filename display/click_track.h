// Beats on the output stream's sample clock: the frame where each beat starts, the click each beat
// plays, and the mixing of every click that sounds in a stretch of the stream.
//
// Positions are stereo frames of the 44,100 Hz stream counted from the run's start; beat 0 sounds at
// frame 0. Samples are 16-bit, left and right interleaved.
#ifndef HARMOLAB_DISPLAY_CLICK_TRACK_H
#define HARMOLAB_DISPLAY_CLICK_TRACK_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/app_state.h"
#include "wavetools/wave_source.h"

// The first frame of beat `k` at `tempo` beats per minute: k x 44,100 x 60 / tempo rounded to the
// nearest frame (halves up), from k each time, so that rounding never accumulates.
std::int64_t BeatFrame(std::int64_t k, int tempo);

// Adds `count` samples of `in` to `out`, each sum held within -32768..32767.
void MixSaturating(std::int16_t* out, const std::int16_t* in, std::size_t count);

// A click as the stream mixes it: `frames` stereo frames at 44,100 Hz.
struct ClickSound {
    const std::int16_t* samples = nullptr;
    std::int64_t frames = 0;
};

// A loaded click slot as the stream mixes it; nothing for an empty slot or one of another format.
ClickSound ClickSoundOf(const WaveSource& slot);

// A beat as scheduled: its first frame and the animation steps that lead up to it from the beat
// before (the first beat: 1, the start's own step).
struct ScheduledBeat {
    std::int64_t frame = 0;
    int steps = 0;
};

// Mixes the clicks of one run ahead of the device. It foresees each beat's click by stepping its
// own copy of the run state with the screen's step rules, so that the accent and the bar counting are
// the very ones the animation shows.
class ClickTrack {
public:
    // `run`: the state StartMetronome leaves (tempo, kind, bar length, accents, rod and counters).
    // `sounds` by click slot. Allocates everything it will need here, none of it while filling.
    ClickTrack(const AppState& run, const std::array<ClickSound, 2>& sounds);

    // The next `frames` frames of the stream: silence and every click that overlaps them.
    void Fill(std::int16_t* out, int frames);

    // Frames filled so far.
    std::int64_t position() const { return position_; }
    // Beats placed so far (their clicks may still lie ahead of the position).
    std::int64_t scheduled() const { return next_beat_; }
    // Beat `k`, one of the last kBeatMemory placed.
    ScheduledBeat beat(std::int64_t k) const;
    // How many placed beats stay readable: far more than the device ever holds.
    static constexpr int kBeatMemory = 256;

private:
    struct Voice {
        const ClickSound* sound;
        std::int64_t start;
    };
    void PlaceNextBeat();

    AppState shadow_;
    std::array<ClickSound, 2> sounds_;
    std::int64_t position_ = 0;
    std::int64_t next_beat_ = 0;
    std::array<ScheduledBeat, kBeatMemory> beats_{};
    std::vector<Voice> voices_;
};

#endif
