// Value rules of the Config and Play volume dialogs and of the file choosers' answers.
#ifndef HARMOLAB_WAVETOOLS_SMALL_DIALOG_RULES_H
#define HARMOLAB_WAVETOOLS_SMALL_DIALOG_RULES_H

#include <cstddef>

// Sliders run 0..4096; one slider step is 16 volume units.
constexpr int kVolumeSliderMax = 4096;

// The colour group confirmed with OK: 0, 1 or 2 as typed, anything else 2.
int ConfirmedPaletteNo(unsigned typed);

// The capture rate confirmed with OK: a rate the capture can open (8000..44100 Hz), else 44100.
int ConfirmedSamplingHz(unsigned typed);

// The play volume from the two slider positions: high word from the upper (left) slider, low
// word from the lower (right) one, each position x 16 capped at 65,535.
unsigned PlayVolumeFromSliders(int upper_position, int lower_position);

// Slider positions that show a stored play volume.
int UpperSliderPosition(unsigned play_volume);
int LowerSliderPosition(unsigned play_volume);

// The program's path fields hold this many bytes of UTF-8.
constexpr size_t kMaxPathBytes = 511;

// What a file chooser's answer means: a path to take, the user's cancel, or a typed path longer than
// the program holds (the chooser's own buffer refused it, or its UTF-8 form is too long), which
// the user is told about rather than having it taken for a cancel.
enum class ChooserOutcome { kChosen, kCancelled, kTooLong };
ChooserOutcome ClassifyChoice(bool chosen, bool buffer_too_small, size_t path_bytes);

#endif
