// Test tones: square or sine waves as 16-bit PCM at 44,100 samples per second, and the rules of
// the tone dialog's fields.
#ifndef HARMOLAB_WAVETOOLS_TONE_H
#define HARMOLAB_WAVETOOLS_TONE_H

#include <cstdint>
#include <string>

#include "wavetools/wave_source.h"

enum ToneWave : int { kToneSquare = 0, kToneSine = 1 };

// Test tones are 16-bit at this rate; shorter than MinToneMs they are not stored.
constexpr int ToneRate = 44100;
constexpr int MinToneMs = 10;

// Peak sample values the amplitude slider offers; a stored amplitude outside them (0 when the
// settings file has none) plays at half scale.
constexpr int kMinToneAmplitude = 1;
constexpr int kMaxToneAmplitude = 32000;
constexpr int kDefaultToneAmplitude = 16000;
int ToneAmplitude(int setting);

// The frequency slider's range in Hz (up to half the tone rate).
constexpr int kMinToneSliderHz = 1;
constexpr int kMaxToneSliderHz = 22050;

// Tone lengths the dialog keeps, in ms; anything else becomes kDefaultToneMs on OK.
constexpr int kMinToneLengthMs = 10;
constexpr int kMaxToneLengthMs = 600000;
constexpr int kDefaultToneMs = 1000;

// Beyond this a tone is refused as too large for memory (2 GB: a 32-bit process holds less).
constexpr std::uint64_t kMaxToneBytes = 0x7FFFFFFF;

struct ToneShape {
    double frequency = 0;  // Hz
    double length_ms = 0;
    int wave = kToneSine;  // kToneSquare, anything else a sine
    int amplitude = 0;     // a setting, through ToneAmplitude
    bool stereo = false;   // every sample twice, left and right
};

// B, the tone's byte count: trunc(2 x channels x P x frequency x ms / 1000) with P = 44,100 /
// frequency samples per period, about 88,200 bytes for a second of mono, taken down to whole
// sample frames. 0 for a frequency or length that is not positive.
std::uint64_t ToneByteCount(const ToneShape& shape);

// Generates the tone into `tone`, which owns the samples: its buffer, readPos at their start,
// bytesToQueue and totalBytes = B, 44,100 Hz, 16 bits, 1 or 2 channels. Only whole periods are
// synthesised; the bytes after the last one (less than a period) stay silent. Sample o is
// sin(o x (360 / P) / 360 x 6.28) scaled by the amplitude (6.28, not 2 pi: the tone sounds about
// 0.05 % flat); a square wave is +a where trunc(a x sine) >= 0 and -a elsewhere. Returns B, or 0
// when B is 0 or larger than kMaxToneBytes or the memory isn't there (`tone` then holds nothing).
std::uint32_t MakeTone(const ToneShape& shape, WaveSource& tone);

// The length typed in the dialog's seconds and milliseconds boxes.
std::int64_t ToneLengthFromFields(std::uint32_t seconds, std::uint32_t milliseconds);
// The length kept when the dialog is confirmed.
int ConfirmedToneLength(std::int64_t ms);

// Stores a generated tone (16-bit samples, interleaved left/right when stereo) of lengthMs
// milliseconds as a WAV file; only whole sample frames of byteCount are written. False for a
// tone shorter than MinToneMs, a file that cannot be created or a write that fails.
bool WriteToneWave(const std::string& path, const std::uint8_t* samples, std::uint32_t byteCount, int lengthMs,
                   bool stereo);

#endif
