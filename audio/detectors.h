// The three detectors that turn one analysis frame into a note, a frequency and the spectrum
// picture. A band is sounding when its level (0..80) is at least 31.
#ifndef HARMOLAB_AUDIO_DETECTORS_H
#define HARMOLAB_AUDIO_DETECTORS_H

#include <array>
#include <cstdint>

#include "app/app_state.h"
#include "audio/fundamental_estimator.h"
#include "audio/spectra.h"
#include "display/spectrum_picture.h"

// What the tuner keeps from frame to frame. About 25 KB: keep it in static storage or in an
// object that is.
struct TunerDetectorState {
    int hold_frames = 0;       // a recently accepted note may stay shown while this is above 0
    int last_played_key = -1;  // the played note (0..87) found on the last frame, -1 none
    FundamentalEstimator fundamental;
};

// Each detector reads the frame, writes detected_note, display_frequency (and the tuner
// cents_offset) into the state, and returns true when it accepted a result this frame. The
// frequencies shown are those of the keys at the state's reference pitch.
//
// The spectrum detectors name the strongest band. The tuner names the played note from its
// fundamental, so that a strong second or third harmonic does not pass for the note; with a target
// (target_note) that sounds, the target is shown on every frame while it sounds, and otherwise
// the played note. Its cents are measured on the newest audio, as the note is decided.
bool DetectNoteSpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame);
bool DetectFrequencySpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame);
bool DetectTuner(AppState& state, Spectra& spectra, TunerDetectorState& tuner, const int16_t* frame);

// The detector of the current tool and mode; false for the metronome.
bool RunDetector(AppState& state, Spectra& spectra, SpectrumPicture& picture, TunerDetectorState& tuner,
                 const int16_t* frame);

#endif
