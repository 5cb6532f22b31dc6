// Fast type-II discrete sine transform, the spectrum behind every band level of the analysis.
#ifndef HARMOLAB_AUDIO_SINE_TRANSFORM_H
#define HARMOLAB_AUDIO_SINE_TRANSFORM_H

#include <vector>

// Twiddle tables and scratch space of SineTransform. The storage is laid out for every power-of-two
// size up to the largest size transformed so far, and each size's tables are computed on its first
// transform, so a work area that has seen its largest size never allocates again.
struct SineTransformWork {
    // Marks every table stale so that the next transform of each size recomputes its own; the storage
    // is kept.
    void Reset() { built_sizes = 0; }

    int capacity = 0;             // largest size the storage is laid out for, 0 before the first use
    unsigned built_sizes = 0;     // bit b set: the tables of size 2^b are current
    std::vector<double> tables;   // per size: the FFT stage twiddles, then the post-processing rotations
    std::vector<double> scratch;  // two complex buffers of capacity / 2 points each
};

// In-place type-II DST of n doubles, n a power of two >= 4 (other n leave data untouched):
//   S[k] = sum_{j=0}^{n-1} x[j] * sin(pi * (j + 0.5) * k / n),  0 < k <= n, unscaled,
// stored with S[n] in entry 0 and S[k] in entry k for 0 < k < n. An input in -1..1 gives outputs
// within -n..n. Cost: one complex FFT of n / 2 points plus one linear pass.
void SineTransform(double* data, int n, SineTransformWork& work);

#endif
