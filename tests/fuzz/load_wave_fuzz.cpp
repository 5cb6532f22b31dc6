// Fuzzes LoadWaveFile, and checks that a file it loads streams to the same samples.
#include <cstring>

#include "tests/fuzz/fuzz_input.h"
#include "wavetools/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteInput(data, size);
    WaveSource loaded;
    if (LoadWaveFile(path, loaded)) {
        FUZZ_CHECK(loaded.buffer && loaded.readPos == loaded.buffer && !loaded.file);
        FUZZ_CHECK(loaded.bytesToQueue > 0 && loaded.bytesToQueue == loaded.bufferBytes);
        FUZZ_CHECK(loaded.bytesToQueue <= size && loaded.bytesInFile == 0);
        FUZZ_CHECK(loaded.channels == shared_output_format.channels_minus_one + 1);
        // Every file the loader takes, the stream opener takes too, with the same samples.
        WaveSource streamed;
        FUZZ_CHECK(OpenWaveStream(path, streamed, false));
        FUZZ_CHECK(streamed.totalBytes == loaded.bytesToQueue);
        FUZZ_CHECK(streamed.sampleRate == loaded.sampleRate && streamed.bitsPerSample == loaded.bitsPerSample);
        const std::uint32_t buffered = streamed.totalBytes - streamed.bytesInFile;
        FUZZ_CHECK(std::memcmp(streamed.buffer, loaded.buffer, buffered) == 0);
        ResetWaveSource(streamed);
    }
    ResetWaveSource(loaded);
    return 0;
}
