// One source of sound for playback and analysis: a streamed file or a block in memory.
#ifndef HARMOLAB_WAVETOOLS_WAVE_SOURCE_H
#define HARMOLAB_WAVETOOLS_WAVE_SOURCE_H

#include <cstdint>
#include <cstdio>

// Every stream gets a buffer of this size; playback uses it as a ring of two halves so that the
// file is read in large blocks, never per device buffer.
constexpr std::uint32_t StreamBufferBytes = 5120000;
constexpr std::uint32_t StreamHalfBytes = StreamBufferBytes / 2;

// A plain record: copying it copies the handle and the pointers, not what they own, so exactly
// one copy may be released. A zero-initialised record holds nothing.
struct WaveSource {
    std::FILE* file = nullptr;        // the open stream (streamed sources); owned, closed on reset
    std::uint32_t bytesToQueue = 0;   // sample bytes not yet handed to the output device
    std::uint32_t bytesInFile = 0;    // bytes of the data chunk not yet read from the file
    std::uint8_t* readPos = nullptr;  // next byte in buffer to hand to the device
    std::uint8_t* buffer = nullptr;   // start of the sample buffer; owned, freed on reset
    std::int32_t sampleRate = 0;      // Hz
    std::int32_t bitsPerSample = 0;   // 8, 16, 24 or 32
    std::int32_t channels = 0;        // 1 mono, 2 stereo
    std::uint32_t totalBytes = 0;     // size of the data chunk (streams)
    std::int32_t dataOffset = 0;      // file offset of the first sample byte (streams)
    std::int32_t viewPos = 0;         // file offset of the Wave View's current point
    std::uint32_t bufferBytes = 0;    // capacity of buffer; reads and ring wraps stay inside it
};

// Gives the record a zero-filled buffer of the given size in place of its old one; readPos moves
// to its start. Buffers handed to a record must come from here, because the record frees them.
// Returns false (and leaves the record without a buffer) when the memory is not there.
bool AllocateSourceBuffer(WaveSource& source, std::uint32_t bytes);

// Frees the buffer; buffer and readPos become null, bytesToQueue 0. The file stays open.
void ReleaseSourceBuffer(WaveSource& source);

// Closes the file, if any.
void CloseSourceFile(WaveSource& source);

// Closes the file, frees the buffer and clears every field.
void ResetWaveSource(WaveSource& source);

// The shared instances: the streamed file played or viewed and the test tone.
extern WaveSource stream_source;
extern WaveSource tone_source;

#endif
