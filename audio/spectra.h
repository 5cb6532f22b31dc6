// The two spectra of an analysis frame and the band levels read from them: 88 piano keys or 88 linear
// columns, each on a 0..80 level scale.
//
// Levels are 0..80, one step is 0.625 dB (16 steps per decade of magnitude squared), so 80 steps span
// 50 dB; a level of kSoundingLevel or more counts as sounding. Index k of an n-point spectrum is the
// frequency k * h / n Hz, h being the half sampling rate: 2.69 Hz per long index and 10.77 Hz per short
// index at 44100 Hz.
#ifndef HARMOLAB_AUDIO_SPECTRA_H
#define HARMOLAB_AUDIO_SPECTRA_H

#include <array>
#include <cstdint>

#include "audio/sine_transform.h"

constexpr int kFrameSamples = 8192;  // analysis frame: newest 8192 samples, oldest first
constexpr int kLongSize = 8192;
constexpr int kShortSize = 2048;
constexpr int kKeyCount = 88;
constexpr int kMaxLevel = 80;
constexpr int kSoundingLevel = 31;

struct ColumnPeak {
    int level;   // 0..80
    int offset;  // offset of the first index reaching the max, from the column start
};

// Keys are 0 (A0, 27.5 Hz) .. 87 (C8). Keys 0..31 are read from the long transform, whose finer
// resolution separates the low keys; keys 32..87 from the short one, which follows the newest
// 2048 samples and so reacts faster. Each key's band starts a quarter tone below its pitch.
//
// Large (about 120 KB): keep instances in static storage.
class Spectra {
public:
    // Window table and both key band tables for this half sampling rate (Hz, > 0) and reference
    // pitch (A4 in Hz); the transforms rebuild their tables on next use.
    void BuildTables(int half_sampling_hz, int a4_hz = 440);
    // Moves the key bands to another reference pitch at the same sampling rate.
    void SetReferencePitch(int a4_hz);
    // Windows the frame (kFrameSamples int16, oldest first) into the transform inputs, runs the short
    // transform and, when with_long, the long one; zeroes entries 0 and 1 of each output that ran
    // (S[n] and S[1] never count). Without with_long the long spectrum keeps its previous contents.
    void Compute(const int16_t* frame, bool with_long);

    int KeyLevel(int key) const;                         // key 0..87 -> 0..80; other keys 0
    ColumnPeak ColumnLevel(int column, int zoom) const;  // column 0..87, zoom 1..3

    // Short-transform bounds [start, end) of a column: zoom 1 spreads the 88 columns over indices
    // 0..2047 (0 Hz to h), zoom 2 over the lower half, zoom 3 over the middle half 512..1536 at twice
    // the resolution of zoom 1. A zoom other than 2 or 3 reads as 1.
    static int ColumnStart(int column, int zoom);
    static int ColumnEnd(int column, int zoom);

    const double* LongSpectrum() const { return long_.data(); }      // kLongSize entries
    const double* ShortSpectrum() const { return short_.data(); }    // kShortSize entries
    int LongEdge(int key) const { return long_edges_[key]; }         // key 0..32
    int ShortEdge(int key) const { return short_edges_[key - 32]; }  // key 32..88
    int half_sampling_hz() const { return half_sampling_hz_; }

private:
    int half_sampling_hz_ = 0;
    std::array<double, kFrameSamples / 2> window_{};  // rising half of a sine window over the frame
    std::array<int, 33> long_edges_{};                // lower edges of keys 0..32
    std::array<int, 57> short_edges_{};               // lower edges of keys 32..88
    std::array<double, kLongSize> long_{};
    std::array<double, kShortSize> short_{};
    SineTransformWork long_work_;
    SineTransformWork short_work_;
};

// trunc(16*log10(v*v)) limited to 0..80; 0 when v <= 0.
int LevelFromMagnitude(double v);

// The program's one analysis instance (used by the detectors and by BuildAnalysisTables()).
extern Spectra spectra;

#endif
