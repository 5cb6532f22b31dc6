// Windowing, the two sine transforms and the key and column band levels of one analysis frame.
#include "audio/spectra.h"

#include <cmath>

#include "app/math_constants.h"

Spectra spectra;

namespace {

constexpr double kSampleScale = 1.0 / 32768.0;  // int16 full scale to 1.0
constexpr int kFirstShortKey = 32;              // keys below read the long transform
// A quarter tone below A0 (27.5 Hz * 2^(-1/24)) with A4 = 440 Hz: key i's band starts at this
// times 2^(i/12), scaled by the reference pitch.
constexpr double kLowestEdgeHz = 26.71712838;

// trunc(kLowestEdgeHz * a4/440 * 2^(key/12) * size / h + 1), limited to size - 1 so that every band
// stays inside the transform; a rate that is not positive leaves every band empty.
int KeyEdge(int key, int size, int half_sampling_hz, int a4_hz) {
    double lowest = kLowestEdgeHz * (a4_hz / 440.0);
    double index = lowest * std::pow(2.0, key / 12.0) * size / half_sampling_hz + 1.0;
    if (!(index < size - 1)) index = size - 1;
    if (index < 0.0) index = 0.0;
    return static_cast<int>(index);
}

struct BandPeak {
    double value;
    int offset;
};

// Largest |s[k]| over [start, end) and the offset from start of the first index reaching it; an empty
// band gives 0 at offset 0. Four indices per step keep the loop overhead low on the 88 scans per frame.
BandPeak ScanBand(const double* s, int start, int end) {
    double best = 0.0;
    int at = start;
    int k = start;
    for (; k + 4 <= end; k += 4) {
        const double a0 = std::fabs(s[k]), a1 = std::fabs(s[k + 1]);
        const double a2 = std::fabs(s[k + 2]), a3 = std::fabs(s[k + 3]);
        if (a0 > best) {
            best = a0;
            at = k;
        }
        if (a1 > best) {
            best = a1;
            at = k + 1;
        }
        if (a2 > best) {
            best = a2;
            at = k + 2;
        }
        if (a3 > best) {
            best = a3;
            at = k + 3;
        }
    }
    for (; k < end; ++k) {
        const double a = std::fabs(s[k]);
        if (a > best) {
            best = a;
            at = k;
        }
    }
    return {best, at - start};
}

}  // namespace

int LevelFromMagnitude(double v) {
    if (!(v > 0.0)) return 0;
    const double level = 16.0 * std::log10(v * v);
    if (!(level > 0.0)) return 0;  // also a square that underflowed to 0 (log10 gives -inf)
    if (level >= kMaxLevel) return kMaxLevel;
    return static_cast<int>(level);
}

void Spectra::BuildTables(int half_sampling_hz, int a4_hz) {
    half_sampling_hz_ = half_sampling_hz;
    for (int i = 0; i < kFrameSamples / 2; ++i) window_[i] = std::sin(kPi * i * (1.0 / kFrameSamples));
    SetReferencePitch(a4_hz);
    long_work_.Reset();
    short_work_.Reset();
}

void Spectra::SetReferencePitch(int a4_hz) {
    for (int key = 0; key <= kFirstShortKey; ++key) {
        long_edges_[key] = KeyEdge(key, kLongSize, half_sampling_hz_, a4_hz);
    }
    for (int key = kFirstShortKey; key <= kKeyCount; ++key) {
        short_edges_[key - kFirstShortKey] = KeyEdge(key, kShortSize, half_sampling_hz_, a4_hz);
    }
}

void Spectra::Compute(const int16_t* frame, bool with_long) {
    // The short input is the newest quarter of the frame under the same window, sampled every fourth
    // entry; both windows are symmetric, so only their rising halves are stored.
    const int16_t* newest = frame + kFrameSamples - kShortSize;
    for (int q = 0; q < kShortSize / 2; ++q) {
        short_[q] = newest[q] * window_[4 * q] * kSampleScale;
    }
    for (int q = kShortSize / 2; q < kShortSize; ++q) {
        short_[q] = newest[q] * window_[4 * (kShortSize - 1 - q)] * kSampleScale;
    }
    SineTransform(short_.data(), kShortSize, short_work_);
    short_[0] = 0.0;
    short_[1] = 0.0;

    if (!with_long) return;
    for (int m = 0; m < kLongSize / 2; ++m) long_[m] = frame[m] * window_[m] * kSampleScale;
    for (int m = kLongSize / 2; m < kLongSize; ++m) {
        long_[m] = frame[m] * window_[kLongSize - 1 - m] * kSampleScale;
    }
    SineTransform(long_.data(), kLongSize, long_work_);
    long_[0] = 0.0;
    long_[1] = 0.0;
}

int Spectra::KeyLevel(int key) const {
    if (key < 0 || key >= kKeyCount) return 0;
    if (key < kFirstShortKey) {
        // The long transform sums four times as many samples, so a quarter brings a steady tone to
        // the short transform's scale.
        return LevelFromMagnitude(ScanBand(long_.data(), long_edges_[key], long_edges_[key + 1]).value / 4.0);
    }
    const int i = key - kFirstShortKey;
    return LevelFromMagnitude(ScanBand(short_.data(), short_edges_[i], short_edges_[i + 1]).value);
}

ColumnPeak Spectra::ColumnLevel(int column, int zoom) const {
    if (column < 0 || column >= kKeyCount) return {0, 0};
    const BandPeak peak = ScanBand(short_.data(), ColumnStart(column, zoom), ColumnEnd(column, zoom));
    return {LevelFromMagnitude(peak.value), peak.offset};
}

// Zoom 3 takes columns 44..131 of a split into 176 columns.
int Spectra::ColumnStart(int column, int zoom) {
    if (zoom == 3) return kShortSize * (column + kKeyCount / 2) / (2 * kKeyCount);
    return kShortSize * column / kKeyCount / (zoom == 2 ? 2 : 1);
}

int Spectra::ColumnEnd(int column, int zoom) {
    if (zoom == 3) return kShortSize * (column + kKeyCount / 2 + 1) / (2 * kKeyCount);
    return kShortSize * (column + 1) / kKeyCount / (zoom == 2 ? 2 : 1);
}
