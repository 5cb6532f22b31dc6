// Config and Play volume value rules.
#include "wavetools/small_dialog_rules.h"

#include <algorithm>

namespace {
constexpr unsigned kVolumeStep = 16;
constexpr unsigned kMaxVolumeWord = 65535;

unsigned VolumeWord(int position) {
    unsigned clamped = static_cast<unsigned>(std::clamp(position, 0, kVolumeSliderMax));
    return std::min(clamped * kVolumeStep, kMaxVolumeWord);
}
}  // namespace

int ConfirmedPaletteNo(unsigned typed) {
    return typed <= 2 ? static_cast<int>(typed) : 2;
}

int ConfirmedSamplingHz(unsigned typed) {
    return (typed >= 8000 && typed <= 44100) ? static_cast<int>(typed) : 44100;
}

unsigned PlayVolumeFromSliders(int upper_position, int lower_position) {
    return (VolumeWord(upper_position) << 16) | VolumeWord(lower_position);
}

int UpperSliderPosition(unsigned play_volume) {
    return static_cast<int>((play_volume >> 16) / kVolumeStep);
}
int LowerSliderPosition(unsigned play_volume) {
    return static_cast<int>((play_volume & 0xFFFF) / kVolumeStep);
}

ChooserOutcome ClassifyChoice(bool chosen, bool buffer_too_small, size_t path_bytes) {
    if (!chosen) return buffer_too_small ? ChooserOutcome::kTooLong : ChooserOutcome::kCancelled;
    return path_bytes > kMaxPathBytes ? ChooserOutcome::kTooLong : ChooserOutcome::kChosen;
}
