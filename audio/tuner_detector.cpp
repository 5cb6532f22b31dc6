// The tuner detector: the played note from its fundamental, the target while it sounds, and the
// cents of either measured on the newest audio.
#include <algorithm>
#include <cmath>

#include "app/debug_log.h"
#include "audio/detectors.h"
#include "audio/key_frequency.h"
#include "audio/pitch_estimator.h"

namespace {

constexpr int kHoldFrames = 10;

// Short-transform peak of a full-scale sine: a sine of amplitude a (fraction of full scale) reaches
// band level LevelFromMagnitude(kSinePeak * a).
constexpr double kSinePeak = 605.3;
constexpr int kSignalSamples = kShortSize;

// The level of the newest audio on the band scale: the level a steady sine of the same power
// would give its band. The tuner judges the sound as a whole, since a note may spread its power
// over several partials, none of them reaching the level alone, and a band's reading wavers with
// the phase of the partial in it. An offset does not count.
int SignalLevel(const int16_t* frame) {
    const int16_t* newest = frame + kFrameSamples - kSignalSamples;
    double sum = 0, squares = 0;
    for (int m = 0; m < kSignalSamples; ++m) {
        sum += newest[m];
        squares += static_cast<double>(newest[m]) * newest[m];
    }
    const double mean = sum / kSignalSamples;
    const double variance = std::max(0.0, squares / kSignalSamples - mean * mean);
    return LevelFromMagnitude(kSinePeak * std::sqrt(2 * variance) / 32768.0);
}

// What the tuner shows: key 0..87 with its cents; key -1 for nothing.
struct TunerReading {
    int key = -1;
    int cents = kNoCentsReading;
};

int NearestKey(double hz, double a4_hz) {
    return static_cast<int>(std::lround(48 + 12 * std::log2(hz / a4_hz)));
}

// A target is taken as sounding when the sound holds a partial at its pitch and a note at that
// pitch explains the sound nearly as well as the best period found; a partial alone may be the
// harmonic of a lower note.
constexpr double kTargetNearBest = 0.8;
constexpr double kTargetMinPeriodicity = 0.5;
constexpr int kCentsHarmonics = 3;
// A faint partial: well above what noise leaves in one probe (about 0.05%).
constexpr double kFaintShare = 0.001;

// The played note: the estimated fundamental's key, with cents from the measured partial.
TunerReading PlayedNote(const AppState& state, TunerDetectorState& tuner, const int16_t* frame) {
    const int rate = 2 * state.half_sampling_hz;
    const double a4 = state.reference_a4_hz;
    if (!tuner.fundamental.Analyse(frame, kFrameSamples, rate)) return {};
    TunerReading played;
    played.key = NearestKey(tuner.fundamental.hz(), a4);
    if (played.key < 0 || played.key >= kKeyCount) return {};
    played.cents = CentsFromKey(tuner.fundamental.hz(), played.key + 1, a4);
    // The cents come from the fundamental, or from the second or third harmonic when the
    // fundamental is too weak to measure.
    for (int h = 1; h <= kCentsHarmonics; ++h) {
        double hz = 0;
        if (!MeasurePartialNear(frame, kFrameSamples, rate, h * KeyFrequency(played.key + 1, a4), hz)) continue;
        // The measured pitch may lie just across the border to the next key.
        const int key = NearestKey(hz / h, a4);
        if (key >= 0 && key < kKeyCount) {
            played.key = key;
            played.cents = CentsFromKey(hz / h, key + 1, a4);
        }
        break;
    }
    return played;
}

// The target (1..88) when it sounds, else key -1.
TunerReading SoundingTarget(const AppState& state, const TunerDetectorState& tuner, const int16_t* frame, int target,
                            const TunerReading& played) {
    if (played.key + 1 == target) return played;
    const int rate = 2 * state.half_sampling_hz;
    const double a4 = state.reference_a4_hz;
    const double target_hz = KeyFrequency(target, a4);
    // A note at the target's pitch must explain the sound before its partials are looked for.
    const double needed =
        std::max(kTargetMinPeriodicity, played.key >= 0 ? kTargetNearBest * tuner.fundamental.periodicity() : 0.0);
    if (tuner.fundamental.PeriodicityNear(target_hz) < needed) return {};
    double hz = 0;
    if (MeasurePartialNear(frame, kFrameSamples, rate, target_hz, hz))
        return {target - 1, CentsFromKey(hz, target, a4)};
    // A string's fundamental may fade before its second harmonic, which then gives the pitch,
    // provided an odd harmonic (the first or third) is still there, however faint: without one the
    // sound is the octave above.
    double second = 0, odd = 0;
    if (MeasurePartialNear(frame, kFrameSamples, rate, 2 * target_hz, second) &&
        (MeasurePartialNear(frame, kFrameSamples, rate, target_hz, odd, kFaintShare) ||
         MeasurePartialNear(frame, kFrameSamples, rate, 3 * target_hz, odd, kFaintShare))) {
        return {target - 1, CentsFromKey(second / 2, target, a4)};
    }
    return {};
}

void ClearTuner(AppState& state) {
    state.cents_offset = kNoCentsReading;
    state.display_frequency = 0;
    state.detected_note = 0;
}

void ShowTunerReading(AppState& state, const TunerReading& reading) {
    state.cents_offset = reading.cents;
    DebugLineF("i=%d j=%d dfi=%d dfj=%d\r\n", reading.key, Spectra::ColumnEnd(reading.key, 1), state.cents_offset,
               state.target_note.load());
    state.detected_note = reading.key + 1;
    state.display_frequency = ShownKeyFrequency(reading.key + 1, state.reference_a4_hz);
}

}  // namespace

bool DetectTuner(AppState& state, Spectra&, TunerDetectorState& tuner, const int16_t* frame) {
    if (tuner.hold_frames > 0) --tuner.hold_frames;
    if (SignalLevel(frame) < kSoundingLevel) {
        tuner.hold_frames = 0;
        tuner.last_played_key = -1;
        ClearTuner(state);
        return false;
    }
    const TunerReading played = PlayedNote(state, tuner, frame);
    // A played note other than the one shown must be found on two frames in a row: while one note
    // gives way to the next, the longest windows hold both, and their common period can pass for a
    // third note for a frame.
    const bool confirmed =
        played.key < 0 || played.key + 1 == state.detected_note || played.key == tuner.last_played_key;
    tuner.last_played_key = played.key;
    const int target = state.target_note;
    TunerReading shown = confirmed ? played : TunerReading{};
    if (target >= 1 && target <= kKeyCount) {
        const TunerReading target_reading = SoundingTarget(state, tuner, frame, target, played);
        if (target_reading.key >= 0) shown = target_reading;
    }
    if (shown.key >= 0) {
        tuner.hold_frames = kHoldFrames;
        ShowTunerReading(state, shown);
        return true;
    }
    // Sound without a clear pitch (a strum, a consonant): the last reading stays for the hold.
    if (tuner.hold_frames == 0) ClearTuner(state);
    return false;
}
