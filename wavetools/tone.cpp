// Square and sine tone synthesis, whole periods at a time.
#include "wavetools/tone.h"

#include <algorithm>
#include <cmath>

#include "wavetools/wave_source.h"
#include "wavetools/wave_writer.h"

namespace {

bool Playable(const ToneShape& shape) {
    return std::isfinite(shape.frequency) && shape.frequency > 0 && std::isfinite(shape.length_ms) &&
           shape.length_ms > 0;
}

void PutSample(std::uint8_t*& out, int value) {
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    *out++ = static_cast<std::uint8_t>(bits & 0xFF);
    *out++ = static_cast<std::uint8_t>(bits >> 8);
}

}  // namespace

int ToneAmplitude(int setting) {
    return (setting >= kMinToneAmplitude && setting <= kMaxToneAmplitude) ? setting : kDefaultToneAmplitude;
}

namespace {

// trunc(2 x channels x P x frequency x length / 1000), the count the periods are reckoned from.
std::uint64_t UnroundedByteCount(const ToneShape& shape) {
    if (!Playable(shape)) return 0;
    const double channels = shape.stereo ? 2 : 1;
    const double period = ToneRate / shape.frequency;
    const double bytes = 2 * channels * period * shape.frequency * shape.length_ms / 1000;
    // Saturate instead of converting a value no integer holds.
    if (!(bytes < 1.8e19)) return UINT64_MAX;
    return static_cast<std::uint64_t>(bytes);
}

}  // namespace

std::uint64_t ToneByteCount(const ToneShape& shape) {
    // Whole sample frames only: a half sample can neither be played nor stored.
    const std::uint64_t bytes = UnroundedByteCount(shape);
    const std::uint64_t frame_bytes = shape.stereo ? 4 : 2;
    return bytes - bytes % frame_bytes;
}

std::uint32_t MakeTone(const ToneShape& shape, WaveSource& tone) {
    ResetWaveSource(tone);
    const std::uint64_t bytes = ToneByteCount(shape);
    if (bytes == 0 || bytes > kMaxToneBytes) return 0;
    const auto count = static_cast<std::uint32_t>(bytes);
    // Zero-filled: the samples after the last whole period are silence.
    if (!AllocateSourceBuffer(tone, count)) return 0;

    const int channels = shape.stereo ? 2 : 1;
    const double period = ToneRate / shape.frequency;
    const double periods = std::trunc(UnroundedByteCount(shape) / (2.0 * channels * period));
    // Period r covers trunc(r P) - trunc((r - 1) P) samples, so N periods cover trunc(N P); the
    // byte count bounds it, whatever the rounding.
    const std::uint64_t frame_limit = count / (2u * static_cast<std::uint32_t>(channels));
    const auto frames = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::trunc(periods * period)), frame_limit);

    const double a = ToneAmplitude(shape.amplitude);
    const double step = 360.0 / period;
    std::uint8_t* out = tone.buffer;
    for (std::uint64_t o = 0; o < frames; ++o) {
        const double s = std::sin(static_cast<double>(o) * step / 360.0 * 6.28);
        const double scaled = std::trunc(a * s);
        int value = 0;
        if (shape.wave == kToneSquare) {
            value = scaled >= 0 ? static_cast<int>(a) : -static_cast<int>(a);
        } else {
            value = static_cast<int>(scaled);
        }
        for (int c = 0; c < channels; ++c) PutSample(out, value);
    }

    tone.readPos = tone.buffer;
    tone.bytesToQueue = count;
    tone.totalBytes = count;
    tone.sampleRate = ToneRate;
    tone.bitsPerSample = 16;
    tone.channels = channels;
    return count;
}

std::int64_t ToneLengthFromFields(std::uint32_t seconds, std::uint32_t milliseconds) {
    return std::int64_t{seconds} * 1000 + milliseconds;
}

int ConfirmedToneLength(std::int64_t ms) {
    return (ms >= kMinToneLengthMs && ms <= kMaxToneLengthMs) ? static_cast<int>(ms) : kDefaultToneMs;
}

bool WriteToneWave(const std::string& path, const std::uint8_t* samples, std::uint32_t byteCount, int lengthMs,
                   bool stereo) {
    if (lengthMs < MinToneMs) return false;
    const std::uint16_t channels = stereo ? 2 : 1;
    const std::uint32_t frameBytes = 2u * channels;
    // A trailing part of a frame is not a sample; a data chunk of whole frames is never odd-sized.
    return WriteWaveFile(path, ToneRate, channels, 16, samples, byteCount - byteCount % frameBytes);
}
