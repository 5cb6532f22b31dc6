// Uncompressed PCM samples: decoding every WAV sample format the program reads, and changing the
// sample rate without aliasing.
//
// Samples are little-endian; 8-bit samples are unsigned (128 is silence), 16, 24 and 32-bit ones
// signed. Frames interleave the channels, left first.
#ifndef HARMOLAB_WAVETOOLS_PCM_H
#define HARMOLAB_WAVETOOLS_PCM_H

#include <cstddef>
#include <cstdint>
#include <vector>

struct PcmFormat {
    int rate = 0;      // frames per second
    int channels = 0;  // 1 or more
    int bits = 0;      // 8, 16, 24 or 32 per sample
};

// Whether samples of this many bits can be decoded.
bool IsPcmBits(int bits);
// Bytes of one frame, 0 for a format that can't be decoded.
std::size_t PcmFrameBytes(const PcmFormat& format);

// One sample as 16 bits: the 16 most significant bits of wider samples, 8-bit ones scaled up.
std::int16_t PcmSample16(const std::uint8_t* sample, int bits);
// One sample at full precision scaled to -1..1 (the most negative value gives -1).
float PcmSampleFloat(const std::uint8_t* sample, int bits);

// The whole frames of `bytes` decoded to interleaved floats in -1..1; empty for a format that
// can't be decoded.
std::vector<float> DecodePcm(const std::uint8_t* data, std::size_t bytes, const PcmFormat& format);
// The whole frames of `bytes` as mono 16-bit samples, each the average of the frame's channels'
// 16-bit values; empty for a format that can't be decoded.
std::vector<std::int16_t> DecodePcmMono16(const std::uint8_t* data, std::size_t bytes, const PcmFormat& format);

// Interleaved frames of `channels` channels at fromRate Hz to the same at toRate Hz, band-limited
// by a windowed-sinc low-pass below half the lower rate, so that nothing above the new Nyquist
// frequency folds back as an audible alias. The kernel is scaled to unit gain at 0 Hz for every
// output frame, near the ends too. The result holds round(frames x toRate / fromRate) frames;
// equal rates return the input unchanged.
std::vector<float> ResamplePcm(const std::vector<float>& frames, int channels, int fromRate, int toRate);

// Any decodable PCM to interleaved 16-bit samples with toChannels channels (1 or 2) at toRate Hz:
// decoded, mono duplicated to both sides or stereo mixed to one, resampled, rounded and clipped.
// This is how click sounds of another format become the click format. Empty when the format
// can't be decoded or holds no whole frame.
std::vector<std::int16_t> ConvertPcm16(const std::uint8_t* data, std::size_t bytes, const PcmFormat& from, int toRate,
                                       int toChannels);

#endif
