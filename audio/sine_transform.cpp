// Type-II DST through a half-length complex FFT.
//
// With y[j] = (-1)^j x[j], sin(pi (j + 1/2) (n - k) / n) = (-1)^j cos(pi (j + 1/2) k / n), so
// S[n - k] is the type-II cosine transform C[k] of y. C is computed the usual way: the even samples of
// y in order followed by the odd ones reversed form v, whose DFT V gives C[k] = Re(e^{-i pi k / 2n} V[k])
// and C[n - k] = -Im(e^{-i pi k / 2n} V[k]). V, the DFT of a real sequence, comes from one complex FFT
// of n / 2 points u[i] = v[2i] + i v[2i + 1] and a split pass. The FFT is a radix-4 Stockham
// (self-sorting) decimation in frequency, so no bit reversal pass is needed; its first stage reads x
// through the permutation above and the split pass writes the outputs into their final places.
#include "audio/sine_transform.h"

#include <cmath>
#include <utility>

#include "app/math_constants.h"

namespace {

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kCosPiEighth = 0.92387953251128675613;
constexpr double kSinPiEighth = 0.38268343236508977173;

// Each size n owns a block of 5n/2 doubles: the stage twiddles (at most n doubles) followed by the
// split-pass rotations (6 per index, fewer than 3n/2). Blocks of the sizes 4, 8, ... sit one after
// another, so a block never moves when the storage grows.
int BlockOffset(int n) {
    return 5 * (n - 4) / 2;
}
int StorageFor(int capacity) {
    return BlockOffset(capacity) + 5 * capacity / 2;
}

// W^p, W^2p, W^3p with W = e^{-2 pi i / len}, for p < len / 4, as (re, im) pairs.
double* FillStageTwiddles(double* t, int len) {
    const double step = -2.0 * kPi / len;
    for (int p = 0; p < len / 4; ++p) {
        for (int j = 1; j <= 3; ++j) {
            *t++ = std::cos(step * j * p);
            *t++ = std::sin(step * j * p);
        }
    }
    return t;
}

void BuildTables(SineTransformWork& work, int n, int log_n) {
    double* const block = work.tables.data() + BlockOffset(n);
    double* t = block;
    for (int len = n / 2; len >= 4; len /= 4) t = FillStageTwiddles(t, len);

    // Per k = 1 .. n/4 - 1: the split rotation e^{-2 pi i k / n}, then the half-sample shifts
    // e^{-i pi k / 2n} and e^{-i pi (n/2 - k) / 2n}, both halved because the split pass works on
    // doubled sums.
    t = block + n;
    const double split = -2.0 * kPi / n;
    const double shift = -kPi / (2.0 * n);
    for (int k = 1; k < n / 4; ++k) {
        *t++ = std::cos(split * k);
        *t++ = std::sin(split * k);
        *t++ = 0.5 * std::cos(shift * k);
        *t++ = 0.5 * std::sin(shift * k);
        *t++ = 0.5 * std::cos(shift * (n / 2 - k));
        *t++ = 0.5 * std::sin(shift * (n / 2 - k));
    }
    work.built_sizes |= 1u << log_n;
}

// Radix-4 decimation-in-frequency butterfly: out_j = w_j * sum_k in_k * (-i)^(jk), w_0 = 1.
inline void Butterfly(double ar, double ai, double br, double bi, double cr, double ci, double dr, double di,
                      const double* w, double* y0, double* y1, double* y2, double* y3) {
    const double s0r = ar + cr, s0i = ai + ci;
    const double d0r = ar - cr, d0i = ai - ci;
    const double s1r = br + dr, s1i = bi + di;
    const double d1r = br - dr, d1i = bi - di;
    y0[0] = s0r + s1r;
    y0[1] = s0i + s1i;
    const double x1r = d0r + d1i, x1i = d0i - d1r;
    const double x2r = s0r - s1r, x2i = s0i - s1i;
    const double x3r = d0r - d1i, x3i = d0i + d1r;
    y1[0] = x1r * w[0] - x1i * w[1];
    y1[1] = x1r * w[1] + x1i * w[0];
    y2[0] = x2r * w[2] - x2i * w[3];
    y2[1] = x2r * w[3] + x2i * w[2];
    y3[0] = x3r * w[4] - x3i * w[5];
    y3[1] = x3r * w[5] + x3i * w[4];
}

// The first stage over all n / 2 points, loading u from the real input on the fly:
// u[i] = (x[4i], x[4i + 2]) for i < n/4 and (-x[2n - 1 - 4i], -x[2n - 3 - 4i]) above.
void FirstStage(const double* x, double* y, int n, const double* tw) {
    const int m = n / 8;
    const int half = n / 2;
    for (int p = 0; p < m; ++p, tw += 6) {
        const int e = 4 * p;
        double* out = y + 8 * p;
        Butterfly(x[e], x[e + 2], x[e + half], x[e + half + 2], -x[n - 1 - e], -x[n - 3 - e], -x[half - 1 - e],
                  -x[half - 3 - e], tw, out, out + 2, out + 4, out + 6);
    }
}

// A middle stage of length len over groups `stride` points apart: inputs q + stride (p + j len/4),
// outputs q + stride (4p + j).
void Radix4Stage(const double* x, double* y, int len, int stride, const double* tw) {
    const int m = len / 4;
    const int step = 2 * stride;
    const int quarter = step * m;
    for (int p = 0; p < m; ++p, tw += 6) {
        const double* in = x + step * p;
        double* out = y + 4 * step * p;
        for (int q = 0; q < step; q += 2) {
            const double* a = in + q;
            double* o = out + q;
            Butterfly(a[0], a[1], a[quarter], a[quarter + 1], a[2 * quarter], a[2 * quarter + 1], a[3 * quarter],
                      a[3 * quarter + 1], tw, o, o + step, o + 2 * step, o + 3 * step);
        }
    }
}

// The last stage when it has length 4: every twiddle is 1.
void LastRadix4(const double* x, double* y, int stride) {
    const int quarter = 2 * stride;
    for (int q = 0; q < quarter; q += 2) {
        const double* a = x + q;
        double* o = y + q;
        const double s0r = a[0] + a[2 * quarter], s0i = a[1] + a[2 * quarter + 1];
        const double d0r = a[0] - a[2 * quarter], d0i = a[1] - a[2 * quarter + 1];
        const double s1r = a[quarter] + a[3 * quarter], s1i = a[quarter + 1] + a[3 * quarter + 1];
        const double d1r = a[quarter] - a[3 * quarter], d1i = a[quarter + 1] - a[3 * quarter + 1];
        o[0] = s0r + s1r;
        o[1] = s0i + s1i;
        o[quarter] = d0r + d1i;
        o[quarter + 1] = d0i - d1r;
        o[2 * quarter] = s0r - s1r;
        o[2 * quarter + 1] = s0i - s1i;
        o[3 * quarter] = d0r - d1i;
        o[3 * quarter + 1] = d0i + d1r;
    }
}

// The last stage when the point count is an odd power of two: length 2, twiddles 1.
void LastRadix2(const double* x, double* y, int stride) {
    const int half = 2 * stride;
    for (int q = 0; q < half; ++q) {
        y[q] = x[q] + x[q + half];
        y[q + half] = x[q] - x[q + half];
    }
}

// Turns the FFT U of the packed points into V = DFT(v) and writes the sine transform in place.
// For k and N - k (N = n/2), with A = U[k] and B = U[N - k]:
//   2E = A + conj B,  2O = A - conj B,  T = e^{-2 pi i k / n} 2O,
//   2V[k] = 2E - iT,  2V[N - k] = conj(2E) - i conj(T).
void SplitPass(const double* u, double* out, int n, const double* rot) {
    const int half = n / 2;
    const int quarter = n / 4;
    out[0] = u[0] + u[1];
    out[half] = (u[0] - u[1]) * kSqrtHalf;
    {
        // V[n/4] = conj(U[n/4]), shifted by e^{-i pi / 8}.
        const double vr = u[2 * quarter], vi = -u[2 * quarter + 1];
        out[quarter] = -(vi * kCosPiEighth - vr * kSinPiEighth);
        out[n - quarter] = vr * kCosPiEighth + vi * kSinPiEighth;
    }
    for (int k = 1; k < quarter; ++k, rot += 6) {
        const double* a = u + 2 * k;
        const double* b = u + 2 * (half - k);
        const double er = a[0] + b[0], ei = a[1] - b[1];
        const double or_ = a[0] - b[0], oi = a[1] + b[1];
        const double tr = or_ * rot[0] - oi * rot[1];
        const double ti = or_ * rot[1] + oi * rot[0];
        const double v1r = er + ti, v1i = ei - tr;
        const double v2r = er - ti, v2i = -ei - tr;
        out[k] = -(v1r * rot[3] + v1i * rot[2]);
        out[n - k] = v1r * rot[2] - v1i * rot[3];
        out[half - k] = -(v2r * rot[5] + v2i * rot[4]);
        out[half + k] = v2r * rot[4] - v2i * rot[5];
    }
}

}  // namespace

void SineTransform(double* data, int n, SineTransformWork& work) {
    if (n < 4 || (n & (n - 1)) != 0) return;
    int log_n = 0;
    while ((1 << log_n) < n) ++log_n;
    if (n > work.capacity) {
        work.capacity = n;
        work.tables.resize(StorageFor(n));
        work.scratch.resize(2 * n);
    }
    if (!((work.built_sizes >> log_n) & 1u)) BuildTables(work, n, log_n);
    const double* const block = work.tables.data() + BlockOffset(n);

    double* a = work.scratch.data();
    double* b = a + n;
    const int points = n / 2;
    if (points == 2) {
        // n = 4: u = (x0, x2), (-x3, -x1) and a single length-2 stage.
        a[0] = data[0] - data[3];
        a[1] = data[2] - data[1];
        a[2] = data[0] + data[3];
        a[3] = data[2] + data[1];
    } else {
        const double* tw = block;
        FirstStage(data, a, n, tw);
        tw += 3 * points / 2;
        int len = points / 4;
        int stride = 4;
        for (; len > 4; len /= 4, stride *= 4) {
            Radix4Stage(a, b, len, stride, tw);
            tw += 3 * len / 2;
            std::swap(a, b);
        }
        if (len == 4) {
            LastRadix4(a, b, stride);
            std::swap(a, b);
        } else if (len == 2) {
            LastRadix2(a, b, stride);
            std::swap(a, b);
        }
    }
    SplitPass(a, data, n, block + n);
}
