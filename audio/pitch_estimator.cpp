// Precise pitch of the partial near a piano key: phase advance of a windowed partial over one sample,
// refined on ever longer windows.
//
// For a single complex tone x[m] = e^{i w0 m}, the windowed sums A = sum v[m] x[m] e^{-i w m} and
// B = sum v[m] x[m + 1] e^{-i w m} satisfy B = e^{i w0} A for any window v and any probe frequency w,
// so the phase of B / A is the tone's frequency, not the probe's. A real frame holds other partials,
// the tone's mirror image at -w0 and noise; a Blackman-Harris window keeps their share of A and B
// below -92 dB once they lie four window bins away, and probing at the estimate itself gives them
// the least weight. The first probe, at the key's own frequency, uses a window short enough for a
// partial anywhere within the search range to sit inside the main lobe; each later probe, at the
// previous estimate, uses a longer window, until probes on the whole frame agree.
#include "audio/pitch_estimator.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/math_constants.h"

namespace {

constexpr int kKeyCount = 88;
constexpr int kTableSize = 8192;  // longest window; shorter ones are read from it with a stride

// Four-term Blackman-Harris: sidelobes below -92 dB from four bins out, so the next harmonic of a
// note as low as A0 (five bins away in a 8192-sample frame at 44100 Hz) leaves the reading alone.
constexpr double kA0 = 0.35875;
constexpr double kA1 = 0.48829;
constexpr double kA2 = 0.14128;
constexpr double kA3 = 0.01168;

// The first window spans this many periods of the key: a partial 60 cents away then lies about
// 1.1 bins from the probe, inside the main lobe, where one probe finds it.
constexpr double kFirstWindowPeriods = 32;
constexpr int kShortestWindow = 64;
// A probe's error is well under 1/8 of its bin, so a window 8 times longer starts inside its main lobe.
constexpr int kWindowGrowth = 8;
// Harmonics must fall outside the main lobe (4 bins) even for a partial at the bottom of the range.
constexpr double kMinPeriods = 4.5;
// The mirror image at -w0 must stay out of the main lobe as well.
constexpr double kHighestFraction = 0.45;
// The measurement ends with the newest audio and spans about this long, so that a new note reads
// right soon after its onset; lower notes take the whole frame until it holds this many periods.
constexpr double kNewestSeconds = 0.1;
constexpr double kNewestPeriods = 8;
// A steady partial moves the estimate by a few thousandths of a bin once the probe sits on it;
// noise keeps wandering, and a frame that will not settle gives no reading.
constexpr double kConvergedBins = 0.01;
constexpr int kMaxFullProbes = 4;
// A partial up to 60 cents from the probe keeps at least a third of its share in the first probe.
constexpr double kHopelessShare = 0.2;

const std::array<double, kTableSize>& Window() {
    static const std::array<double, kTableSize> table = [] {
        std::array<double, kTableSize> t{};
        for (int n = 0; n < kTableSize; ++n) {
            double a = 2 * kPi * n / kTableSize;
            t[n] = kA0 - kA1 * std::cos(a) + kA2 * std::cos(2 * a) - kA3 * std::cos(3 * a);
        }
        return t;
    }();
    return table;
}

struct Probe {
    double omega;  // estimated frequency, radians per sample
    double share;  // 0..1: share of the segment's windowed power held by that partial
};

// One probe at `omega` (radians per sample) over `length` samples, the window being the first
// length - 1 entries of a length-point Blackman-Harris: A runs over samples 0..length-2, B over
// samples 1..length-1 with the same weights. False when the segment is silent.
bool ProbeAt(const int16_t* segment, int length, double omega, Probe& out) {
    const double* window = Window().data();
    const int stride = kTableSize / length;
    const double rot_re = std::cos(omega);
    const double rot_im = -std::sin(omega);
    double p_re = 1, p_im = 0;  // e^{-i omega m}
    double a_re = 0, a_im = 0, b_re = 0, b_im = 0, energy = 0;
    double previous = 0;  // weight of sample m - 1, which B gives to sample m
    for (int m = 0; m < length - 1; ++m) {
        double weight = window[m * stride];
        double xa = segment[m] * weight;
        double xb = segment[m] * previous;
        previous = weight;
        a_re += xa * p_re;
        a_im += xa * p_im;
        b_re += xb * p_re;
        b_im += xb * p_im;
        energy += xa * xa;
        double next_re = p_re * rot_re - p_im * rot_im;
        p_im = p_re * rot_im + p_im * rot_re;
        p_re = next_re;
    }
    double xb = segment[length - 1] * previous;
    b_re += xb * p_re;
    b_im += xb * p_im;

    double a_power = a_re * a_re + a_im * a_im;
    if (a_power <= 0 || energy <= 0) return false;
    // B e^{i omega} / A = e^{i w0}, so the phase of B / A is w0 - omega.
    double cross_re = b_re * a_re + b_im * a_im;
    double cross_im = b_im * a_re - b_re * a_im;
    out.omega = omega + std::atan2(cross_im, cross_re);

    // A pure tone at the probe gives |A|^2 = (amp * S1 / 2)^2 and energy = amp^2 * S2 / 2.
    double last = window[(length - 1) * stride];
    double s1 = kA0 * length - last;
    double s2 = length * (kA0 * kA0 + (kA1 * kA1 + kA2 * kA2 + kA3 * kA3) / 2) - last * last;
    out.share = 2 * a_power * s2 / (s1 * s1 * energy);
    return true;
}

int LargestPowerOfTwoUpTo(int n) {
    int p = 1;
    while (p <= n / 2) p *= 2;
    return p;
}

}  // namespace

bool MeasurePartialNear(const int16_t* frame, int frame_samples, int sample_rate, double near_hz, double& hz,
                        double min_share) {
    if (frame == nullptr || frame_samples <= 0 || sample_rate <= 0 || !(near_hz > 0)) return false;
    const double span = std::pow(2.0, kPitchSearchCents / 1200);
    if (near_hz * span > kHighestFraction * sample_rate) return false;
    const int whole = LargestPowerOfTwoUpTo(std::min(frame_samples, kTableSize));
    if (whole * near_hz / span < kMinPeriods * sample_rate) return false;
    int full = std::min(whole, LargestPowerOfTwoUpTo(static_cast<int>(kNewestSeconds * sample_rate)));
    while (full < whole && full * near_hz / span < kNewestPeriods * sample_rate) full *= 2;

    const double lowest = 2 * kPi * near_hz / span / sample_rate;
    const double highest = 2 * kPi * near_hz * span / sample_rate;
    double omega = 2 * kPi * near_hz / sample_rate;
    const double first = std::clamp(kFirstWindowPeriods * sample_rate / near_hz, static_cast<double>(kShortestWindow),
                                    static_cast<double>(kTableSize));
    int length = std::min(full, LargestPowerOfTwoUpTo(static_cast<int>(first)));
    int full_probes = 0;
    Probe probe{};
    for (;;) {
        // Every window ends with the newest sample, where the note decision looks too.
        if (!ProbeAt(frame + frame_samples - length, length, omega, probe)) return false;
        if (probe.omega < lowest || probe.omega > highest) return false;
        // A partial far too weak already cannot grow enough to count on a longer window or a probe
        // nearer to it, which would cost several more passes.
        if (probe.share < kHopelessShare * min_share) return false;
        double step_bins = std::fabs(probe.omega - omega) * length / (2 * kPi);
        omega = probe.omega;
        if (length < full) {
            length = std::min(full, length * kWindowGrowth);
            continue;
        }
        if (step_bins < kConvergedBins) break;
        if (++full_probes == kMaxFullProbes) return false;
    }
    if (probe.share < min_share) return false;
    hz = omega * sample_rate / (2 * kPi);
    return true;
}

bool MeasurePitchNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key, double& hz, double a4_hz) {
    if (key < 1 || key > kKeyCount) return false;
    return MeasurePartialNear(frame, frame_samples, sample_rate, KeyFrequency(key, a4_hz), hz);
}

int CentsFromKey(double hz, int key, double a4_hz) {
    if (key < 1 || key > kKeyCount || !(hz > 0) || !std::isfinite(hz)) return kNoCentsReading;
    double cents = std::round(1200 * std::log2(hz / KeyFrequency(key, a4_hz)));
    return (cents < -50 || cents > 50) ? kNoCentsReading : static_cast<int>(cents);
}

int MeasureCentsNearKey(const int16_t* frame, int frame_samples, int sample_rate, int key, double a4_hz) {
    double hz = 0;
    if (!MeasurePitchNearKey(frame, frame_samples, sample_rate, key, hz, a4_hz)) return kNoCentsReading;
    return CentsFromKey(hz, key, a4_hz);
}
