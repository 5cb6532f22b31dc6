// The three detectors that turn one analysis frame into a note, a frequency and the spectrum
// picture. A band is sounding when its level (0..80) is at least 31.
#ifndef HARMOLAB_AUDIO_DETECTORS_H
#define HARMOLAB_AUDIO_DETECTORS_H

#include <array>
#include <cstdint>

#include "app/app_state.h"
#include "audio/spectra.h"
#include "display/spectrum_picture.h"

// Equal-tempered frequencies of keys 0..87 (A4 = key 48 = 440 Hz), to four decimal places.
const std::array<double, kKeyCount>& NoteFrequencies();

// What the tuner keeps from frame to frame.
struct TunerDetectorState {
    int target_level = 0;
    int target_deviation = 0;
    int hold_frames = 0;  // a recently accepted note may stay shown while this is above 0
};

// Each detector reads the frame, writes detected_note, display_frequency (and the tuner
// cents_offset) into the state, and returns true when it accepted a result this frame.
bool DetectNoteSpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame);
bool DetectFrequencySpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame);
bool DetectTuner(AppState& state, Spectra& spectra, TunerDetectorState& tuner, const int16_t* frame);

// The detector of the current tool and mode; false for the metronome.
bool RunDetector(AppState& state, Spectra& spectra, SpectrumPicture& picture, TunerDetectorState& tuner,
                 const int16_t* frame);

#endif
