// Writes the fuzz seed corpus: small WAV files of our own, valid and broken, into a folder.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/wavetools/wave_bytes.h"
#include "wavetools/tone.h"

namespace {

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    struct Seed {
        const char* name;
        void (*edit)(WaveRecipe&);
    };
    const Seed seeds[] = {
        {"mono16", [](WaveRecipe&) {}},
        {"stereo8", [](WaveRecipe& s) { s.channels = 2, s.bits = 8, s.rate = 22050; }},
        {"stereo24", [](WaveRecipe& s) { s.channels = 2, s.bits = 24; }},
        {"format18", [](WaveRecipe& s) { s.formatBytes = 18; }},
        {"list_even", [](WaveRecipe& s) { s.extraBytes = 26; }},
        {"list_odd_padded", [](WaveRecipe& s) { s.extraBytes = 27; }},
        {"list_odd_unpadded", [](WaveRecipe& s) { s.extraBytes = 27, s.padExtra = false; }},
        {"data_beyond_end", [](WaveRecipe& s) { s.declaredData = 0xFFFFFFFF; }},
        {"data_empty", [](WaveRecipe& s) { s.dataBytes = 0; }},
        {"data_odd", [](WaveRecipe& s) { s.dataBytes = 0x41; }},
        {"float_tag", [](WaveRecipe& s) { s.tag = 3; }},
        {"three_channels", [](WaveRecipe& s) { s.channels = 3; }},
        {"no_data", [](WaveRecipe& s) { s.hasData = false, s.extraBytes = 9; }},
    };
    for (const Seed& seed : seeds) {
        WaveRecipe recipe;
        recipe.dataBytes = 256;
        seed.edit(recipe);
        if (!Save(dir + seed.name + ".wav", WaveBytes(recipe))) return 1;
    }
    // A stored tone, as the test-tone maker writes it: 10 ms of stereo.
    std::vector<std::uint8_t> tone(1764);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = SampleByte(static_cast<std::uint32_t>(i));
    return WriteToneWave(dir + "tone_stereo.wav", tone.data(), 1764, 10, true) ? 0 : 1;
}
