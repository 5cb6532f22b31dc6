// The WAV header writer on buffered standard I/O, fields assembled byte by byte.
#include "wavetools/wave_writer.h"

#include <cstdio>

#include "app/utf8_file.h"

namespace {

void PutId(WaveHeader& h, std::size_t at, const char* id) {
    for (std::size_t i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(id[i]);
}

void PutLe(WaveHeader& h, std::size_t at, std::uint32_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) h[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

WaveHeader MakeWaveHeader(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, std::uint32_t dataBytes) {
    WaveHeader h{};
    const std::uint32_t blockAlign = std::uint32_t{channels} * bits / 8;
    PutId(h, 0, "RIFF");
    // A RIFF size cannot say more than 4 GB; saturate instead of wrapping to a tiny value.
    PutLe(h, 4, dataBytes > 0xFFFFFFFFu - 36 ? 0xFFFFFFFFu : dataBytes + 36, 4);
    PutId(h, 8, "WAVE");
    PutId(h, 12, "fmt ");
    PutLe(h, 16, 16, 4);
    PutLe(h, 20, 1, 2);  // PCM
    PutLe(h, 22, channels, 2);
    PutLe(h, 24, rate, 4);
    PutLe(h, 28, rate * blockAlign, 4);
    PutLe(h, 32, blockAlign, 2);
    PutLe(h, 34, bits, 2);
    PutId(h, 36, "data");
    PutLe(h, 40, dataBytes, 4);
    return h;
}

bool WriteWaveFile(const std::string& path, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
                   const std::uint8_t* data, std::uint32_t dataBytes) {
    if (!data && dataBytes > 0) return false;
    std::FILE* file = OpenFileUtf8(path, "wb");
    if (!file) return false;
    const WaveHeader header = MakeWaveHeader(rate, channels, bits, dataBytes);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    if (ok && dataBytes > 0) ok = std::fwrite(data, 1, dataBytes, file) == dataBytes;
    if (std::fclose(file) != 0) ok = false;
    return ok;
}
