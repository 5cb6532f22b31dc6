// Note, frequency and tuner detection on the spectra of one frame.
#include "audio/detectors.h"

#include <cmath>

#include "app/debug_log.h"
#include "audio/pitch_estimator.h"

namespace {

// Zoom-1 column width and index width at 44100 Hz; the frequency readout uses them at every zoom
// and rate, as the display's scale does.
constexpr double kColumnHz = 250.5681818181818;
constexpr double kIndexHz = 10.7666015625;
constexpr int kHoldFrames = 10;
constexpr int kNoCents = -100;

void BeginPicture(SpectrumPicture& picture) {
    picture.ScrollHistory();
    picture.DrawGrid();
}

void PaintBand(SpectrumPicture& picture, int band, int level) {
    picture.PaintColumn(band, level);
    picture.PaintHistory(band, level);
}

int TruncatedFrequency(int key) {
    return static_cast<int>(NoteFrequencies()[key]);
}

// The deviation reading of key (0..87): cents of the partial measured near it in this frame, or
// kNoCents when there is none. The band levels only say which key sounds; the needle needs the
// pitch itself.
int MeasuredDeviation(const AppState& state, const int16_t* frame, int key) {
    return MeasureCentsNearKey(frame, kFrameSamples, 2 * state.half_sampling_hz, key + 1);
}

void ClearTuner(AppState& state) {
    state.cents_offset = kNoCents;
    state.display_frequency = 0;
    state.detected_note = 0;
}

void ShowTunerKey(AppState& state, const int16_t* frame, int key, int column_end) {
    state.cents_offset = MeasuredDeviation(state, frame, key);
    DebugLineF("i=%d j=%d dfi=%d dfj=%d\r\n", key, column_end, state.cents_offset, state.target_note.load());
    state.detected_note = key + 1;
    state.display_frequency = TruncatedFrequency(key);
}

}  // namespace

const std::array<double, kKeyCount>& NoteFrequencies() {
    static const std::array<double, kKeyCount> table = [] {
        std::array<double, kKeyCount> t{};
        for (int k = 0; k < kKeyCount; ++k) {
            t[k] = std::round(440.0 * std::pow(2.0, (k - 48) / 12.0) * 10000.0) / 10000.0;
        }
        return t;
    }();
    return table;
}

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
    state.display_frequency = TruncatedFrequency(best_key);
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

bool DetectTuner(AppState& state, Spectra& spectra, TunerDetectorState& tuner, const int16_t* frame) {
    spectra.Compute(frame, true);
    tuner.target_level = 0;
    int target = state.target_note;
    int best_level = 0;
    int best_key = 0;
    int runner_up = 0;
    for (int key = 0; key < kKeyCount; ++key) {
        int level = spectra.KeyLevel(key);
        spectra.ColumnLevel(key, 1);
        if (key + 1 == target) {
            tuner.target_level = level;
            tuner.target_deviation = MeasuredDeviation(state, frame, key);
        }
        if (level > best_level) {
            runner_up = best_key;
            best_key = key;
            best_level = level;
        }
    }
    if (tuner.hold_frames > 0) --tuner.hold_frames;
    if (best_level < kSoundingLevel) {
        tuner.hold_frames = 0;
        ClearTuner(state);
        return false;
    }
    if (target == 0 || target == best_key + 1) {
        tuner.hold_frames = kHoldFrames;
        ShowTunerKey(state, frame, best_key, Spectra::ColumnEnd(best_key, 1));
        return true;
    }
    if (target == runner_up + 1) {
        tuner.hold_frames = kHoldFrames;
        ShowTunerKey(state, frame, runner_up, Spectra::ColumnEnd(runner_up, 1));
        return true;
    }
    if (tuner.hold_frames == 0) {
        ClearTuner(state);
        return false;
    }
    if (tuner.target_level < kSoundingLevel) return false;
    state.cents_offset = tuner.target_deviation;
    state.detected_note = target;
    state.display_frequency = TruncatedFrequency(target - 1);
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
