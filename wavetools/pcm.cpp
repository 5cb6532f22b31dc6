// PCM sample decoding and band-limited resampling.
#include "wavetools/pcm.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "app/math_constants.h"

namespace {

// Zero crossings of the sinc on each side of the kernel centre. With the Blackman window, 32 make
// the transition band about 0.08 of the lower rate wide and its stop band lie below -74 dB.
constexpr int kSincZeroCrossings = 32;
// The pass band ends a little below the lower Nyquist frequency so that the transition band
// lies below it rather than straddling it.
constexpr double kPassFraction = 0.9;

std::int32_t SignedValue(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint32_t{p[i]} << (8 * i);
    // Sign-extend from the top bit of the sample.
    const int unused = 32 - 8 * bytes;
    return static_cast<std::int32_t>(v << unused) >> unused;
}

double Blackman(double x) {  // x in -1..1
    const double a = kPi * (x + 1.0);
    return 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a);
}

// The low-pass kernel of a rate change, one set of taps per output phase. The output frame i
// sits at input position i x from / to; with the rates' common divisor g there are only to / g
// distinct fractional parts, whose taps are computed once when they are few.
class SincKernel {
public:
    SincKernel(int fromRate, int toRate) {
        // Cutoff in cycles per input sample; a downward change narrows the pass band, which
        // widens the kernel in input samples.
        cutoff_ = 0.5 * kPassFraction * std::min(1.0, static_cast<double>(toRate) / fromRate);
        halfWidth_ = kSincZeroCrossings / (2.0 * cutoff_);
        first_ = -static_cast<long long>(std::ceil(halfWidth_));
        length_ = static_cast<std::size_t>(2 * -first_ + 2);
        const long long g = std::gcd(static_cast<long long>(fromRate), static_cast<long long>(toRate));
        step_ = fromRate / g;
        phases_ = toRate / g;
        if (phases_ <= kMaxTabledPhases) {
            table_.resize(static_cast<std::size_t>(phases_) * length_);
            for (long long p = 0; p < phases_; ++p) Fill(p, &table_[static_cast<std::size_t>(p) * length_]);
        }
    }

    long long FirstOffset() const { return first_; }

    std::size_t Length() const { return length_; }

    // The taps of output frame i, tap r weighing input frame base + FirstOffset() + r; scratch
    // holds them when they aren't tabled.
    const double* TapsFor(std::size_t i, long long& base, std::vector<double>& scratch) const {
        const long long position = static_cast<long long>(i) * step_;
        base = position / phases_;
        const long long phase = position % phases_;
        if (!table_.empty()) return &table_[static_cast<std::size_t>(phase) * length_];
        scratch.resize(length_);
        Fill(phase, scratch.data());
        return scratch.data();
    }

private:
    static constexpr long long kMaxTabledPhases = 4096;

    void Fill(long long phase, double* taps) const {
        const double fraction = static_cast<double>(phase) / static_cast<double>(phases_);
        for (std::size_t r = 0; r < length_; ++r) {
            const double x = static_cast<double>(first_ + static_cast<long long>(r)) - fraction;
            if (std::abs(x) > halfWidth_) {
                taps[r] = 0.0;
                continue;
            }
            const double arg = 2.0 * cutoff_ * x;
            const double sinc = std::abs(arg) < 1e-12 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
            taps[r] = sinc * Blackman(x / halfWidth_);
        }
    }

    double cutoff_ = 0;
    double halfWidth_ = 0;
    long long first_ = 0;
    std::size_t length_ = 0;
    long long step_ = 1;
    long long phases_ = 1;
    std::vector<double> table_;
};

}  // namespace

bool IsPcmBits(int bits) {
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

std::size_t PcmFrameBytes(const PcmFormat& format) {
    if (!IsPcmBits(format.bits) || format.channels < 1) return 0;
    return static_cast<std::size_t>(format.bits / 8) * static_cast<std::size_t>(format.channels);
}

std::int16_t PcmSample16(const std::uint8_t* sample, int bits) {
    if (bits == 8) return static_cast<std::int16_t>((int{sample[0]} - 128) * 256);
    // Little-endian: the top two bytes of a sample are its last two.
    const int high = bits / 8 - 2;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(sample[high] | (sample[high + 1] << 8)));
}

float PcmSampleFloat(const std::uint8_t* sample, int bits) {
    if (bits == 8) return static_cast<float>((int{sample[0]} - 128) / 128.0);
    return static_cast<float>(SignedValue(sample, bits / 8) / std::ldexp(1.0, bits - 1));
}

std::vector<float> DecodePcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& format) {
    std::vector<float> out;
    const std::size_t frame = PcmFrameBytes(format);
    if (!data || frame == 0) return out;
    const std::size_t sampleBytes = static_cast<std::size_t>(format.bits / 8);
    const std::size_t samples = bytes / frame * static_cast<std::size_t>(format.channels);
    out.reserve(samples);
    for (std::size_t i = 0; i < samples; ++i) out.push_back(PcmSampleFloat(data + i * sampleBytes, format.bits));
    return out;
}

std::vector<std::int16_t> DecodePcmMono16(const std::uint8_t* data, std::size_t bytes, const PcmFormat& format) {
    std::vector<std::int16_t> mono;
    const std::size_t frame = PcmFrameBytes(format);
    if (!data || frame == 0) return mono;
    const std::size_t sampleBytes = static_cast<std::size_t>(format.bits / 8);
    mono.reserve(bytes / frame);
    for (std::size_t at = 0; at + frame <= bytes; at += frame) {
        long sum = 0;
        for (int c = 0; c < format.channels; ++c) sum += PcmSample16(data + at + c * sampleBytes, format.bits);
        mono.push_back(static_cast<std::int16_t>(sum / format.channels));
    }
    return mono;
}

std::vector<float> ResamplePcm(const std::vector<float>& frames, int channels, int fromRate, int toRate) {
    if (channels < 1 || fromRate <= 0 || toRate <= 0) return {};
    if (fromRate == toRate) return frames;
    const auto framesIn = static_cast<long long>(frames.size() / static_cast<std::size_t>(channels));
    const auto framesOut =
        static_cast<std::size_t>(std::llround(static_cast<double>(framesIn) * toRate / static_cast<double>(fromRate)));
    std::vector<float> out(framesOut * static_cast<std::size_t>(channels), 0.0f);
    const SincKernel kernel(fromRate, toRate);
    const auto width = static_cast<long long>(kernel.Length());
    std::vector<double> scratch;
    std::vector<double> sums(static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < framesOut; ++i) {
        long long base = 0;
        const double* taps = kernel.TapsFor(i, base, scratch);
        const long long first = base + kernel.FirstOffset();
        const long long from = std::max(0LL, -first);
        const long long to = std::min(width, framesIn - first);
        double gain = 0.0;
        std::fill(sums.begin(), sums.end(), 0.0);
        for (long long r = from; r < to; ++r) {
            gain += taps[r];
            const float* frame = &frames[static_cast<std::size_t>(first + r) * static_cast<std::size_t>(channels)];
            for (int c = 0; c < channels; ++c) sums[static_cast<std::size_t>(c)] += taps[r] * frame[c];
        }
        // Unit gain at 0 Hz, also where the ends of the input cut the kernel short.
        if (gain == 0.0) continue;
        for (int c = 0; c < channels; ++c) {
            out[i * static_cast<std::size_t>(channels) + c] =
                static_cast<float>(sums[static_cast<std::size_t>(c)] / gain);
        }
    }
    return out;
}

std::vector<std::int16_t> ConvertPcm16(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, int toRate,
                                       int toChannels) {
    std::vector<std::int16_t> out;
    if (toChannels < 1 || toChannels > 2 || from.rate <= 0) return out;
    const std::vector<float> decoded = DecodePcm(data, bytes, from);
    if (decoded.empty()) return out;
    // Channels first, at the lower data rate: the first two of a wider file, mono duplicated.
    const std::size_t frames = decoded.size() / static_cast<std::size_t>(from.channels);
    std::vector<float> shaped(frames * static_cast<std::size_t>(toChannels));
    for (std::size_t f = 0; f < frames; ++f) {
        const float* in = &decoded[f * static_cast<std::size_t>(from.channels)];
        for (int c = 0; c < toChannels; ++c) {
            float v = 0.0f;
            if (toChannels == 1 && from.channels >= 2) {
                v = 0.5f * (in[0] + in[1]);
            } else {
                v = in[std::min(c, from.channels - 1)];
            }
            shaped[f * static_cast<std::size_t>(toChannels) + c] = v;
        }
    }
    const std::vector<float> resampled = ResamplePcm(shaped, toChannels, from.rate, toRate);
    out.reserve(resampled.size());
    for (float v : resampled) {
        out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0), -32768L, 32767L)));
    }
    return out;
}
