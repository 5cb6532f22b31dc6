// Fundamental of the newest audio: normalised correlation with the audio one period earlier,
// octave by octave on low-passed, thinned copies of the frame, and the shortest period that is
// nearly as periodic as the best one.
#include "audio/fundamental_estimator.h"

#include <algorithm>
#include <cmath>

namespace {

// A candidate within this share of the best periodicity counts as just as periodic.
constexpr double kNearBest = 0.96;
constexpr double kSearchCents = 60;
constexpr double kHighestHz = 4400;  // above C8 with a generous margin
constexpr int kMaxCandidates = 64;

struct Candidate {
    double period_s;
    double periodicity;
};

// out[n_out - 1 - k] = binomial low-pass (1 4 6 4 1) / 16 of `in` around in[n_in - 3 - 2k]: every
// second sample of the newest audio, with what would fold back below half the new rate damped.
// Needs n_in >= 2 * n_out + 3.
template <typename Sample>
void HalveRate(const Sample* in, int n_in, float* out, int n_out) {
    for (int k = 0; k < n_out; ++k) {
        const int c = n_in - 3 - 2 * k;
        out[n_out - 1 - k] = (static_cast<float>(in[c - 2]) + static_cast<float>(in[c + 2]) +
                              4.0f * (static_cast<float>(in[c - 1]) + static_cast<float>(in[c + 1])) +
                              6.0f * static_cast<float>(in[c])) *
                             (1.0f / 16.0f);
    }
}

// The newest n samples of `in` with their mean removed, so that an offset does not look periodic.
template <typename Sample>
void CopyWithoutOffset(const Sample* in, int n_in, float* out, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += in[n_in - n + i];
    const float mean = static_cast<float>(sum / n);
    for (int i = 0; i < n; ++i) out[i] = static_cast<float>(in[n_in - n + i]) - mean;
}

}  // namespace

int FundamentalEstimator::FirstLag() const {
    return std::max(kFirstLag, static_cast<int>(rate_ / kHighestHz));
}

void FundamentalEstimator::BuildOctaves(const int16_t* frame, int samples) {
    // Samples each octave must hold so that the next can be thinned from it.
    std::array<int, kOctaves> need{};
    need[kOctaves - 1] = kSpan;
    for (int o = kOctaves - 2; o >= 0; --o) need[o] = std::max(kSpan, 2 * need[o + 1] + 3);
    octaves_ = 0;
    if (samples < kSpan) return;
    CopyWithoutOffset(frame, samples, signal_[0].data(), kSpan);
    octaves_ = 1;
    const float* below = nullptr;
    int below_size = 0;
    for (int o = 1; o < kOctaves; ++o) {
        // Odd octaves are staged in one buffer, even ones in the other, each thinned from the last.
        float* out = o % 2 ? stage_a_.data() : stage_b_.data();
        const int capacity = static_cast<int>(o % 2 ? stage_a_.size() : stage_b_.size());
        const int size = need[o];
        const int source = o == 1 ? samples : below_size;
        if (size > capacity || source < 2 * size + 3) break;  // a short frame serves fewer octaves
        if (o == 1) {
            HalveRate(frame, samples, out, size);
        } else {
            HalveRate(below, below_size, out, size);
        }
        CopyWithoutOffset(out, size, signal_[o].data(), kSpan);
        below = out;
        below_size = size;
        octaves_ = o + 1;
    }
}

void FundamentalEstimator::Correlate(int octave, int first_lag) {
    const float* y = signal_[octave].data();
    auto& out = periodicity_at_[octave];
    out.fill(0.0f);
    const int newest = kSpan - kWindow;
    double energy_new = 0;
    for (int i = newest; i < kSpan; ++i) energy_new += static_cast<double>(y[i]) * y[i];
    const int from = first_lag - 1;
    double energy_old = 0;
    for (int i = newest; i < kSpan; ++i) energy_old += static_cast<double>(y[i - from]) * y[i - from];
    for (int lag = from; lag <= kMaxLag; ++lag) {
        // Four single-precision sums: 128 products of 16-bit sized values keep seven digits, far more
        // than the comparison of periodicities needs.
        float r0 = 0, r1 = 0, r2 = 0, r3 = 0;
        const float* now = y + newest;
        const float* then = y + newest - lag;
        for (int i = 0; i < kWindow; i += 4) {
            r0 += now[i] * then[i];
            r1 += now[i + 1] * then[i + 1];
            r2 += now[i + 2] * then[i + 2];
            r3 += now[i + 3] * then[i + 3];
        }
        const double r = static_cast<double>(r0) + r1 + r2 + r3;
        const double energy = energy_new + energy_old;
        out[lag] = energy > 0 ? static_cast<float>(2 * r / energy) : 0.0f;
        // The older stretch moves one sample back for the next lag.
        const double enters = y[newest - lag - 1];
        const double leaves = y[kSpan - 1 - lag];
        energy_old += enters * enters - leaves * leaves;
    }
}

bool FundamentalEstimator::Analyse(const int16_t* frame, int samples, int rate) {
    hz_ = 0;
    periodicity_ = 0;
    rate_ = rate;
    octaves_ = 0;
    if (frame == nullptr || rate <= 0) return false;
    BuildOctaves(frame, samples);
    std::array<Candidate, kMaxCandidates> candidates{};
    int count = 0;
    double best = 0;
    for (int o = 0; o < octaves_; ++o) {
        const int first = o == 0 ? FirstLag() : kLowLag;
        Correlate(o, first);
        const auto& n = periodicity_at_[o];
        const int last = o + 1 == octaves_ ? kMaxLag - 1 : kHighLag - 1;
        for (int lag = first; lag <= last && count < kMaxCandidates; ++lag) {
            if (!(n[lag] > n[lag - 1] && n[lag] >= n[lag + 1] && n[lag] > 0)) continue;
            // Parabola through the peak and its neighbours.
            const double a = n[lag - 1], b = n[lag], c = n[lag + 1];
            const double curve = a - 2 * b + c;
            const double shift = curve < 0 ? std::clamp(0.5 * (a - c) / curve, -0.5, 0.5) : 0.0;
            const double value = b - 0.25 * (a - c) * shift;
            candidates[count++] = {(lag + shift) * (1 << o) / rate, value};
            best = std::max(best, value);
        }
    }
    if (best < kMinPeriodicity) return false;
    const Candidate* chosen = nullptr;
    for (int i = 0; i < count; ++i) {
        const Candidate& c = candidates[i];
        if (c.periodicity >= kNearBest * best && (!chosen || c.period_s < chosen->period_s)) chosen = &c;
    }
    hz_ = 1.0 / chosen->period_s;
    periodicity_ = chosen->periodicity;
    return true;
}

double FundamentalEstimator::PeriodicityNear(double hz) const {
    if (!(hz > 0) || rate_ <= 0 || octaves_ == 0) return 0;
    double lag = rate_ / hz;
    int o = 0;
    while (o + 1 < octaves_ && lag >= kHighLag) {
        lag /= 2;
        ++o;
    }
    const double span = std::pow(2.0, kSearchCents / 1200);
    const int lo = std::max(1, static_cast<int>(std::floor(lag / span)));
    const int hi = std::min(kMaxLag, static_cast<int>(std::ceil(lag * span)));
    double best = 0;
    for (int l = lo; l <= hi; ++l) best = std::max(best, static_cast<double>(periodicity_at_[o][l]));
    return best;
}
