// Fuzzes OpenWaveStream and then reads the stream the ways playback, the Wave View and the
// canceler do: half by half through the ring, after seeks, and at arbitrary file offsets.
#include <algorithm>

#include "tests/fuzz/fuzz_input.h"
#include "wavetools/wave_file.h"

namespace {

// Plays the rest of the stream through the two halves of the ring; returns the bytes read.
std::uint64_t ReadThroughRing(WaveSource& source) {
    std::uint64_t read = 0;
    std::uint32_t half = StreamHalfBytes;
    while (source.bytesInFile > 0) {
        const std::uint32_t before = source.bytesInFile;
        const std::uint32_t got = ReadWaveStream(source, half, StreamHalfBytes);
        FUZZ_CHECK(got <= StreamHalfBytes && got <= before);
        if (got == 0) break;
        read += got;
        half = half == 0 ? StreamHalfBytes : 0;
    }
    return read;
}

std::uint32_t Tail32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size >= 4 ? size - 4 : 0; i < size; ++i) value = value << 8 | data[i];
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteInput(data, size);
    WaveSource source;
    if (OpenWaveStream(path, source, false)) {
        FUZZ_CHECK(source.file && source.buffer && source.bufferBytes == StreamBufferBytes);
        FUZZ_CHECK(source.totalBytes > 0 && source.bytesToQueue == source.totalBytes);
        FUZZ_CHECK(source.dataOffset >= 44 && source.viewPos == source.dataOffset);
        FUZZ_CHECK(std::uint64_t{source.totalBytes} + source.dataOffset <= size);
        const std::uint32_t buffered = source.totalBytes - source.bytesInFile;
        FUZZ_CHECK(buffered == std::min(source.totalBytes, StreamBufferBytes));
        const std::uint64_t streamed = buffered + ReadThroughRing(source);
        FUZZ_CHECK(streamed == source.totalBytes);

        // Seek somewhere the input chooses, then read on as a restart after a seek does.
        const std::uint32_t position = Tail32(data, size);
        FUZZ_CHECK(SeekWaveStream(source, position));
        FUZZ_CHECK(source.bytesInFile == source.totalBytes - std::min(position, source.totalBytes));
        ReadWaveStream(source, 0, StreamBufferBytes);
        ReadThroughRing(source);
        const std::int64_t at = std::int64_t{source.dataOffset} + position % (source.totalBytes + 2) - 1;
        FUZZ_CHECK(ReadWaveAt(source, at, source.buffer, source.bufferBytes) <= source.totalBytes);
    }
    ResetWaveSource(source);

    if (OpenWaveStream(path, source, true)) {
        FUZZ_CHECK(source.bytesInFile == source.totalBytes && source.buffer[0] == 0);
        FUZZ_CHECK(std::uint64_t{source.totalBytes} + source.dataOffset <= size);
        const FileDuration length = SplitMilliseconds(file_duration);
        FUZZ_CHECK(length.minutes < 60 && length.seconds < 60 && length.milliseconds < 1000);
        const std::uint64_t streamed = ReadThroughRing(source);
        FUZZ_CHECK(streamed == source.totalBytes);
    }
    ResetWaveSource(source);
    return 0;
}
