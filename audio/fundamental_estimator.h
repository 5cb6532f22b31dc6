// The fundamental of the newest audio in an analysis frame: the note a player hears, even when a
// higher partial is stronger or the fundamental itself is missing.
#ifndef HARMOLAB_AUDIO_FUNDAMENTAL_ESTIMATOR_H
#define HARMOLAB_AUDIO_FUNDAMENTAL_ESTIMATOR_H

#include <array>
#include <cstdint>

// Periodicity is the normalised correlation of the newest stretch of audio with the stretch one
// period earlier: 1 for a steady periodic sound, near 0 for noise. It is measured one octave of
// periods at a time, each octave on a copy of the frame low-passed and thinned so that its periods
// span 32..64 samples: the lowest octave (A0) looks back about 0.14 s, the octaves from C3 up
// 35 ms or less.
//
// About 25 KB: keep instances in static storage or inside an object that is.
class FundamentalEstimator {
public:
    // Analyses the newest audio of `frame` (samples int16, oldest first, at rate Hz). True when
    // a period with a periodicity of at least kMinPeriodicity was found; its frequency is then hz().
    // Of the candidate periods, the shortest whose periodicity comes close to the best one wins:
    // a tone's multiples of its period are as periodic as the period itself, while a strong
    // second or third harmonic leaves the half or third of the period far less periodic.
    bool Analyse(const int16_t* frame, int samples, int rate);

    double hz() const { return hz_; }
    double periodicity() const { return periodicity_; }

    // The best periodicity of the last analysis at a period within +-60 cents of 1/hz (0 when
    // that period lies outside the analysed range): how well a note at hz would explain the sound.
    double PeriodicityNear(double hz) const;

    static constexpr double kMinPeriodicity = 0.6;

private:
    static constexpr int kOctaves = 6;   // octave 0 at the full rate, each next at half the rate
    static constexpr int kWindow = 128;  // newest samples compared with those one period earlier
    static constexpr int kFirstLag = 4;  // octave 0 reaches up to rate / 4 Hz, 4400 Hz at most
    static constexpr int kLowLag = 32;   // other octaves: periods of 32..64 samples
    static constexpr int kHighLag = 64;
    static constexpr int kMaxLag = kHighLag + 2;
    static constexpr int kSpan = kWindow + kMaxLag + 1;  // samples each octave needs

    void BuildOctaves(const int16_t* frame, int samples);
    void Correlate(int octave, int first_lag);
    int FirstLag() const;

    // Octave k's signal: the newest kSpan samples at rate / 2^k, newest last.
    std::array<std::array<float, kSpan>, kOctaves> signal_{};
    // Octave k's periodicity at lags 0..kMaxLag (in octave-k samples).
    std::array<std::array<float, kMaxLag + 1>, kOctaves> periodicity_at_{};
    // Low-pass staging: each octave is thinned from the one below it.
    std::array<float, 4096> stage_a_{};
    std::array<float, 2048> stage_b_{};
    int rate_ = 0;
    int octaves_ = 0;  // octaves analysed (fewer when the frame is short)
    double hz_ = 0;
    double periodicity_ = 0;
};

#endif
