// The spectrum detectors (note and frequency mode) and the choice of detector per frame.
#include "audio/detectors.h"

#include "app/debug_log.h"
#include "audio/key_frequency.h"

namespace {

// Zoom-1 column width and index width at 44100 Hz; the frequency readout uses them at every zoom
// and rate, as the display's scale does.
constexpr double kColumnHz = 250.5681818181818;
constexpr double kIndexHz = 10.7666015625;

void BeginPicture(SpectrumPicture& picture) {
    picture.ScrollHistory();
    picture.DrawGrid();
}

void PaintBand(SpectrumPicture& picture, int band, int level) {
    picture.PaintColumn(band, level);
    picture.PaintHistory(band, level);
}

}  // namespace

bool DetectNoteSpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame) {
    spectra.Compute(frame, true);
    BeginPicture(picture);
    int best_level = 0;
    int best_key = 0;
    for (int key = 0; key < kKeyCount; ++key) {
        int level = spectra.KeyLevel(key);
        PaintBand(picture, key, level);
        if (level > best_level) {
            best_level = level;
            best_key = key;
        }
    }
    if (best_level < kSoundingLevel) {
        state.detected_note = 0;
        state.display_frequency = 0;
        return false;
    }
    state.detected_note = best_key + 1;
    state.display_frequency = ShownKeyFrequency(best_key + 1, state.reference_a4_hz);
    return true;
}

bool DetectFrequencySpectrum(AppState& state, Spectra& spectra, SpectrumPicture& picture, const int16_t* frame) {
    spectra.Compute(frame, false);
    BeginPicture(picture);
    int best_level = 0;
    int best_column = 0;
    int best_offset = 0;
    for (int column = 0; column < kKeyCount; ++column) {
        ColumnPeak peak = spectra.ColumnLevel(column, state.zoom_level);
        PaintBand(picture, column, peak.level);
        if (peak.level > best_level) {
            best_level = peak.level;
            best_column = column;
            best_offset = peak.offset;
        }
    }
    if (best_level < kSoundingLevel) {
        state.display_frequency = 0;
        state.detected_note = 0;
        return false;
    }
    DebugLineF("%d j=%d \r\n", best_column, best_offset);
    state.display_frequency = static_cast<int>(best_column * kColumnHz + best_offset * kIndexHz);
    return true;
}

bool RunDetector(AppState& state, Spectra& spectra, SpectrumPicture& picture, TunerDetectorState& tuner,
                 const int16_t* frame) {
    switch (state.current_tool) {
        case kToolSpectrum:
            return (state.plot_mode & 1) ? DetectNoteSpectrum(state, spectra, picture, frame)
                                         : DetectFrequencySpectrum(state, spectra, picture, frame);
        case kToolTuner: return DetectTuner(state, spectra, tuner, frame);
        default: return false;
    }
}
