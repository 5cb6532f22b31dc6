// Ownership of a sound source's buffer and file, and the shared instances.
#include "wavetools/wave_source.h"

#include <cstdlib>

WaveSource stream_source;
WaveSource tone_source;

bool AllocateSourceBuffer(WaveSource& source, std::uint32_t bytes) {
    ReleaseSourceBuffer(source);
    if (bytes == 0) return false;
    // Zero-filled, so that a buffer that is only partly read into plays silence, not old sound.
    auto* block = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (!block) return false;
    source.buffer = block;
    source.readPos = block;
    source.bufferBytes = bytes;
    return true;
}

void ReleaseSourceBuffer(WaveSource& source) {
    std::free(source.buffer);
    source.buffer = nullptr;
    source.readPos = nullptr;
    source.bufferBytes = 0;
    source.bytesToQueue = 0;
}

void CloseSourceFile(WaveSource& source) {
    if (source.file) std::fclose(source.file);
    source.file = nullptr;
}

void ResetWaveSource(WaveSource& source) {
    CloseSourceFile(source);
    ReleaseSourceBuffer(source);
    source = WaveSource{};
}
