// Value rules of the Config and Play volume dialogs.
#ifndef HARMOLAB_WAVETOOLS_SMALL_DIALOG_RULES_H
#define HARMOLAB_WAVETOOLS_SMALL_DIALOG_RULES_H

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

#endif
