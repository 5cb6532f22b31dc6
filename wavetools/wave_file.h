// Reading uncompressed PCM WAV files (RIFF/WAVE, fields little-endian); wave_writer.h writes them.
//
// Accepted files: "RIFF" <size> "WAVE", then a "fmt " chunk of 16 bytes (streams also take 18)
// with tag 1 (PCM), 1 or 2 channels, 1..1,000,000 Hz and 8, 16, 24 or 32 bits; then chunks up to
// "data". Other chunks are skipped, with the pad byte after an odd-sized one, unless the writer
// evidently left the pad out. A data chunk that declares more bytes than the file holds ends
// where the file ends: a recording cut short plays as far as it goes.
#ifndef HARMOLAB_WAVETOOLS_WAVE_FILE_H
#define HARMOLAB_WAVETOOLS_WAVE_FILE_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "wavetools/wave_format.h"
#include "wavetools/wave_source.h"

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

#endif
