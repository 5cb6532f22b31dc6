// WAV files assembled byte by byte, for the reader tests and the fuzz seed corpus.
#ifndef HARMOLAB_TESTS_WAVETOOLS_WAVE_BYTES_H
#define HARMOLAB_TESTS_WAVETOOLS_WAVE_BYTES_H

#include <cstdint>
#include <string>
#include <vector>

struct WaveRecipe {
    std::string riff = "RIFF";
    std::string wave = "WAVE";
    std::string fmt = "fmt ";
    std::uint32_t formatBytes = 16;  // 18 appends a zero extension size
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    std::uint32_t extraBytes = 0;  // size of a "LIST" chunk between format and data, 0 for none
    bool padExtra = true;          // write the pad byte after an odd-sized extra chunk
    bool hasData = true;
    std::uint32_t dataBytes = 0;     // samples written
    std::int64_t declaredData = -1;  // data size field, -1 for dataBytes
};

// A recognisable sample byte for every data position, so that misplaced reads show.
inline std::uint8_t SampleByte(std::uint32_t i) {
    return static_cast<std::uint8_t>(i * 7 + i / 251);
}

inline void AppendLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline std::vector<std::uint8_t> WaveBytes(const WaveRecipe& recipe) {
    std::vector<std::uint8_t> out;
    auto id = [&out](const std::string& text) { out.insert(out.end(), text.begin(), text.end()); };
    id(recipe.riff);
    AppendLe(out, 0, 4);  // RIFF size, filled in at the end
    id(recipe.wave);
    id(recipe.fmt);
    AppendLe(out, recipe.formatBytes, 4);
    AppendLe(out, recipe.tag, 2);
    AppendLe(out, recipe.channels, 2);
    AppendLe(out, recipe.rate, 4);
    AppendLe(out, recipe.rate * recipe.channels * recipe.bits / 8, 4);
    AppendLe(out, recipe.channels * recipe.bits / 8, 2);
    AppendLe(out, recipe.bits, 2);
    if (recipe.formatBytes > 16) AppendLe(out, 0, recipe.formatBytes - 16);
    if (recipe.extraBytes > 0) {
        id("LIST");
        AppendLe(out, recipe.extraBytes, 4);
        out.insert(out.end(), recipe.extraBytes, '.');
        if (recipe.extraBytes % 2 == 1 && recipe.padExtra) out.push_back(0);
    }
    if (recipe.hasData) {
        id("data");
        AppendLe(out, static_cast<std::uint32_t>(recipe.declaredData < 0 ? recipe.dataBytes : recipe.declaredData), 4);
        for (std::uint32_t i = 0; i < recipe.dataBytes; ++i) out.push_back(SampleByte(i));
    }
    const auto riffBytes = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffBytes >> (8 * i));
    return out;
}

#endif
