// Reading and writing uncompressed PCM WAV files (RIFF/WAVE, fields little-endian).
//
// Accepted files: "RIFF" <size> "WAVE", then a "fmt " chunk of 16 bytes (streams also take 18)
// with tag 1 (PCM), 1 or 2 channels, 1..1,000,000 Hz and 8, 16, 24 or 32 bits; then chunks up to
// "data". Other chunks are skipped, with the pad byte after an odd-sized one, unless the writer
// evidently left the pad out. A data chunk that declares more bytes than the file holds ends
// where the file ends: a recording cut short plays as far as it goes.
#ifndef HARMOLAB_WAVETOOLS_WAVE_FILE_H
#define HARMOLAB_WAVETOOLS_WAVE_FILE_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "wavetools/wave_format.h"
#include "wavetools/wave_source.h"

// Opens a file named by a UTF-8 path with a standard I/O mode ("rb", "wb"); null on failure.
std::FILE* OpenBinaryFile(const std::string& path, const char* mode);

// Reads the whole data chunk into a new buffer of exactly its size. On success the record
// holds buffer and readPos at the samples, bytesToQueue = their count, bytesInFile 0, the
// format, no file; what it held before is released; shared_output_format takes the file's
// format. On failure (including an empty data chunk) the record is left as it was.
bool LoadWaveFile(const std::string& path, WaveSource& source);

// Opens a file for streaming. On success the record keeps the file open, owns a buffer of
// StreamBufferBytes, and has totalBytes = bytesToQueue = the data size, dataOffset = viewPos =
// the file offset of the first sample. Unless headerOnly, the first min(data size,
// StreamBufferBytes) bytes are in the buffer and bytesInFile is what is left in the file (an
// empty data chunk then fails); with headerOnly the buffer is empty and bytesInFile is the data
// size. What the record held before is released. Sets file_duration to the whole data chunk's
// length. On failure the record is left as it was.
bool OpenWaveStream(const std::string& path, WaveSource& source, bool headerOnly);

// Reads the next min(maxBytes, bytesInFile) bytes of the data chunk into the buffer at offset
// (never beyond bufferBytes) and reduces bytesInFile by the count read, which it returns; 0
// means nothing could be read. If the file turns out shorter than the counters promise, the
// data is taken to end there: bytesInFile becomes 0 and bytesToQueue and totalBytes lose the
// missing bytes. Other reads of the file in between (ReadWaveAt) do not disturb it.
std::uint32_t ReadWaveStream(WaveSource& source, std::uint32_t offset, std::uint32_t maxBytes);

// Makes data byte `position` (clamped to totalBytes) the next one to stream: bytesInFile and
// bytesToQueue become totalBytes - position, readPos returns to the buffer start. A caller
// keeping block alignment passes a multiple of channels x bits / 8. False without an open file.
bool SeekWaveStream(WaveSource& source, std::uint32_t position);

// Copies up to destBytes sample bytes starting at file offset fileOffset (dataOffset for the
// first sample) into dest, stopping at the end of the data chunk; returns the count, 0 when the
// offset lies outside the data. Leaves the counters alone (for the Wave View and the canceler).
std::uint32_t ReadWaveAt(WaveSource& source, std::int64_t fileOffset, std::uint8_t* dest, std::uint32_t destBytes);

// The length of `bytes` sample bytes in the given format, truncated to the millisecond; zero for
// a format without a byte rate. DurationOfData splits it.
std::int64_t DataMilliseconds(std::uint32_t bytes, int rate, int channels, int bits);
FileDuration DurationOfData(std::uint32_t bytes, int rate, int channels, int bits);

// The header that the tone and canceler writers patch and write; it keeps whatever the last
// writer patched.
constexpr std::size_t WaveHeaderBytes = 44;
extern std::array<std::uint8_t, WaveHeaderBytes> WaveHeaderImage;

// Patches every variable field of WaveHeaderImage for a PCM file: RIFF size dataBytes + 36,
// channels, rate, byte rate rate x channels x bits / 8, block align channels x bits / 8, bits,
// data size.
void PatchWaveHeader(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, std::uint32_t dataBytes);

// Test tones are 16-bit at this rate; shorter than MinToneMs they are not stored.
constexpr int ToneRate = 44100;
constexpr int MinToneMs = 10;

// Stores a generated tone (16-bit samples, interleaved left/right when stereo) of lengthMs
// milliseconds as a WAV file; only whole sample frames of byteCount are written. False for a
// tone shorter than MinToneMs, a file that cannot be created or a write that fails.
bool WriteToneWave(const std::string& path, const std::uint8_t* samples, std::uint32_t byteCount, int lengthMs,
                   bool stereo);

#endif
