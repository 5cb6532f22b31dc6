// Beat grid and click mixing of the metronome's output stream.
#include "display/click_track.h"

#include <algorithm>
#include <limits>

#include "display/metronome_engine.h"
#include "wavetools/playback_engine.h"

namespace {

constexpr std::int64_t kFramesPerMinute = std::int64_t{ClickRate} * 60;

// Keeps the click a step asks for and nothing else: the track only needs to know which sound.
class SlotCatcher : public MetronomeOutput {
public:
    void Click(int slot) override { slot_ = slot; }
    void Invalidate() override {}
    int Take() {
        const int slot = slot_;
        slot_ = -1;
        return slot;
    }

private:
    int slot_ = -1;
};

// Steps of one beat can't exceed a whole swing and a turn; a longer run of steps without a beat
// means a state that never beats (the rod at rest), which then stays silent.
constexpr int kStepLimit = 64;

}  // namespace

std::int64_t BeatFrame(std::int64_t k, int tempo) {
    if (tempo <= 0) return std::numeric_limits<std::int64_t>::max();
    // round(k x F / t) = floor((2 k F + t) / 2 t) for non-negative k.
    return (2 * k * kFramesPerMinute + tempo) / (2 * std::int64_t{tempo});
}

ClickSound ClickSoundOf(const WaveSource& slot) {
    if (!slot.buffer || slot.sampleRate != ClickRate || slot.bitsPerSample != ClickBits ||
        slot.channels != ClickChannels) {
        return {};
    }
    const std::uint32_t bytes = std::min(slot.bytesToQueue, slot.bufferBytes);
    return {reinterpret_cast<const std::int16_t*>(slot.buffer), bytes / (ClickChannels * ClickBits / 8)};
}

void MixSaturating(std::int16_t* out, const std::int16_t* in, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const int sum = out[i] + in[i];
        out[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
}

ClickTrack::ClickTrack(const AppState& run, const std::array<ClickSound, 2>& sounds) : shadow_(run), sounds_(sounds) {
    std::int64_t longest = 0;
    for (const ClickSound& sound : sounds_) longest = std::max(longest, sound.frames);
    const std::int64_t beat = std::max<std::int64_t>(BeatFrame(1, run.metronome_tempo), 1);
    voices_.reserve(static_cast<std::size_t>(longest / beat + 2));
}

ScheduledBeat ClickTrack::beat(std::int64_t k) const {
    return beats_[static_cast<std::size_t>(k % kBeatMemory)];
}

void ClickTrack::PlaceNextBeat() {
    SlotCatcher catcher;
    int steps = 0;
    bool fired = false;
    while (!fired && steps < kStepLimit) {
        fired = MetronomeStep(shadow_, catcher);
        ++steps;
    }
    const std::int64_t frame = BeatFrame(next_beat_, shadow_.metronome_tempo);
    beats_[static_cast<std::size_t>(next_beat_ % kBeatMemory)] = {frame, steps};
    ++next_beat_;
    const int slot = fired ? catcher.Take() : -1;
    if (slot < 0 || slot >= static_cast<int>(sounds_.size())) return;
    const ClickSound& sound = sounds_[static_cast<std::size_t>(slot)];
    if (!sound.samples || sound.frames <= 0 || voices_.capacity() == 0) return;
    // Never reached with the capacity above; dropping the oldest keeps the filling allocation-free.
    if (voices_.size() == voices_.capacity()) voices_.erase(voices_.begin());
    voices_.push_back({&sound, frame});
}

void ClickTrack::Fill(std::int16_t* out, int frames) {
    if (frames <= 0) return;
    std::fill(out, out + 2 * static_cast<std::size_t>(frames), std::int16_t{0});
    const std::int64_t end = position_ + frames;
    while (BeatFrame(next_beat_, shadow_.metronome_tempo) < end) PlaceNextBeat();
    for (const Voice& voice : voices_) {
        const std::int64_t from = std::max(voice.start, position_);
        const std::int64_t to = std::min(voice.start + voice.sound->frames, end);
        if (from >= to) continue;
        MixSaturating(out + 2 * (from - position_), voice.sound->samples + 2 * (from - voice.start),
                      static_cast<std::size_t>(2 * (to - from)));
    }
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(),
                                 [end](const Voice& v) { return v.start + v.sound->frames <= end; }),
                  voices_.end());
    position_ = end;
}
