// Beat engine of the metronome: steps, accents and click loading.
#include "display/metronome_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "display/metronome_tables.h"
#include "wavetools/playback_engine.h"
#include "wavetools/pcm.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_format.h"

namespace {

using metronome_tables::BeatsPerBar;
using metronome_tables::SwingFor;
using metronome_tables::SwingRange;

// Without bars the index still counts to 2 for the displays that show two cells.
constexpr int kUnbarredLength = 2;

void NextBar(AppState& state) {
    const int bars = state.bar_count + 1;
    state.bar_count = bars > kLastBarCount ? 0 : bars;
}

// Beat bookkeeping: the next beat of the bar, or the first of the next bar. Without bars
// (beat_no 0) the Normal kind counts on without bound; the others pass `wrap_unbarred` and return
// to 0 at 2.
void CountBeat(AppState& state, bool wrap_unbarred) {
    const int beat_no = state.beat_no;
    int index = state.beat_index + 1;
    if (beat_no != 0) {
        if (index >= BeatsPerBar(beat_no)) {
            NextBar(state);
            index = 0;
        }
    } else if (wrap_unbarred && index >= kUnbarredLength) {
        index = 0;
    }
    state.beat_index = index;
}

// The pendulum of Normal and Signal: it turns round past either end; true when it turned (a beat).
bool Swing(AppState& state, SwingRange range) {
    const int direction = state.swing_direction;
    const int rod = state.rod_position;
    if (direction == 1) {
        if (rod + 1 <= range.hi) {
            state.rod_position = rod + 1;
            return false;
        }
        state.rod_position = range.hi - 1;
        state.swing_direction = 2;
        return true;
    }
    if (direction == 2) {
        if (rod - 1 >= range.lo) {
            state.rod_position = rod - 1;
            return false;
        }
        state.rod_position = range.lo + 1;
        state.swing_direction = 1;
        return true;
    }
    return false;  // at rest: nothing moves
}

bool SwingingStep(AppState& state, MetronomeOutput& output, bool signal) {
    const bool beat = Swing(state, SwingFor(state.metronome_tempo));
    if (beat) {
        CountBeat(state, signal);
        PlayBeatClick(state, output);
    }
    state.mid_swing = beat ? 0 : 1;
    // The lamps change only on a beat; the pendulum moves on every step.
    if (beat || !signal) output.Invalidate();
    return beat;
}

// Ball and Conductor run from lo to hi and start again at lo with the next beat.
bool RestartingStep(AppState& state, MetronomeOutput& output, bool ball) {
    const SwingRange range = SwingFor(state.metronome_tempo);
    bool beat = false;
    if (!ball || state.swing_direction == 1) {
        const int rod = state.rod_position + 1;
        beat = rod > range.hi;
        state.rod_position = beat ? range.lo : rod;
    }
    if (beat) {
        if (!ball) state.swing_direction = 2;
        CountBeat(state, true);
        PlayBeatClick(state, output);
    }
    state.mid_swing = beat ? 0 : 1;
    output.Invalidate();
    return beat;
}

bool KindStep(AppState& state, MetronomeOutput& output) {
    switch (state.metronome_kind) {
        case kKindConductor: return RestartingStep(state, output, false);
        case kKindBall: return RestartingStep(state, output, true);
        case kKindSignal: return SwingingStep(state, output, true);
        default: return SwingingStep(state, output, false);
    }
}

// The start of a run: the bar's first beat sounds at once.
void FirstStep(AppState& state, MetronomeOutput& output) {
    NextBar(state);
    state.beat_index = 0;
    const int kind = state.metronome_kind;
    if (state.beat_no != 0) {
        PlayBeatClick(state, output);
    } else if (kind != kKindConductor) {
        output.Click(ClickSlotForBeat(false));
    }
    state.metronome_started = 1;
    output.Invalidate();
    if (kind == kKindConductor) KindStep(state, output);
    state.mid_swing = 0;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return (last == '/' || last == '\\') ? folder + name : folder + "/" + name;
}

bool LoadClickSound(const std::vector<std::string>& candidates, WaveSource& slot) {
    for (const std::string& path : candidates) {
        if (!LoadWaveFile(path, slot)) continue;
        if (slot.sampleRate == ClickRate && slot.bitsPerSample == ClickBits && slot.channels == ClickChannels) {
            return true;
        }
        if (ConvertToClickFormat(slot)) {
            // The device opens in the sounds' format, which is now the click format.
            shared_output_format = SharedOutputFormat{ClickRate, ClickChannels - 1, ClickBits};
            return true;
        }
        ResetWaveSource(slot);
    }
    return false;
}

}  // namespace

bool BeatIsAccented(const AppState& state) {
    const int beat_no = state.beat_no;
    if (beat_no == 0) return false;
    const int length = BeatsPerBar(beat_no);
    if (length < 2 || length > 1 + kDownbeatBars) return false;
    return state.downbeat[static_cast<std::size_t>(length - 2)] - 1 == state.beat_index;
}

void PlayBeatClick(const AppState& state, MetronomeOutput& output) {
    output.Click(ClickSlotForBeat(BeatIsAccented(state)));
}

bool MetronomeStep(AppState& state, MetronomeOutput& output) {
    if (!state.metronome_started) {
        FirstStep(state, output);
        return true;
    }
    return KindStep(state, output);
}

bool ConvertToClickFormat(WaveSource& sound) {
    if (sound.sampleRate == ClickRate && sound.bitsPerSample == ClickBits && sound.channels == ClickChannels) {
        return true;
    }
    const PcmFormat format{sound.sampleRate, sound.channels, sound.bitsPerSample};
    if (!sound.buffer || format.rate <= 0 || PcmFrameBytes(format) == 0) return false;
    // No more input than the longest click kept needs.
    const std::uint64_t framesWanted = std::uint64_t{MaxClickBytes} / 4 * std::uint64_t(format.rate) / ClickRate + 2;
    const std::uint64_t inputBytes =
        std::min<std::uint64_t>(std::min(sound.bytesToQueue, sound.bufferBytes), framesWanted * PcmFrameBytes(format));
    const std::vector<std::int16_t> samples =
        ConvertPcm16(sound.buffer, static_cast<std::size_t>(inputBytes), format, ClickRate, ClickChannels);
    if (samples.empty()) return false;
    const std::size_t bytes = std::min<std::size_t>(samples.size() * sizeof(std::int16_t), MaxClickBytes);
    WaveSource converted;
    if (!AllocateSourceBuffer(converted, static_cast<std::uint32_t>(bytes))) return false;
    for (std::size_t i = 0; i < bytes / 2; ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        converted.buffer[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
        converted.buffer[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    converted.bytesToQueue = converted.bufferBytes;
    converted.sampleRate = ClickRate;
    converted.bitsPerSample = ClickBits;
    converted.channels = ClickChannels;
    ResetWaveSource(sound);
    sound = converted;
    return true;
}

std::vector<std::string> ClickFileCandidates(int slot, const std::string& configured,
                                             const std::vector<std::string>& folders) {
    if (!configured.empty()) return {configured};
    std::vector<std::string> out;
    if (slot < 0 || slot >= static_cast<int>(kDefaultClickFiles.size())) return out;
    for (const std::string& folder : folders) {
        out.push_back(InFolder(folder, kDefaultClickFiles[static_cast<std::size_t>(slot)]));
    }
    return out;
}

void FreeClickSet(WaveSource* slots, int slot_count) {
    for (int i = 0; i < slot_count; ++i) ResetWaveSource(slots[i]);
}

bool LoadClickSet(WaveSource* slots, int slot_count, const std::array<std::vector<std::string>, 2>& candidates) {
    FreeClickSet(slots, slot_count);
    if (slot_count < 2) return false;
    const bool accent = LoadClickSound(candidates[0], slots[kAccentClickSlot]);
    const bool beat = LoadClickSound(candidates[1], slots[kBeatClickSlot]);
    return accent && beat;
}
