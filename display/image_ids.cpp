// The asset table: one relative path per image id.
#include "display/image_ids.h"

namespace {

void AddNumbered(std::array<std::string, kImageCount>& table, int& id, const char* stem, int first, int last) {
    for (int n = first; n <= last; ++n) table[id++] = "Tunerimg/" + std::string(stem) + std::to_string(n) + ".bmp";
}

void Add(std::array<std::string, kImageCount>& table, int& id, std::initializer_list<const char*> names) {
    for (const char* name : names) table[id++] = "Tunerimg/" + std::string(name) + ".bmp";
}

std::array<std::string, kImageCount> BuildTable() {
    std::array<std::string, kImageCount> t;
    int id = 0;
    Add(t, id, {"Metronome"});
    AddNumbered(t, id, "bar", 1, 38);
    Add(t, id, {"tuner"});
    AddNumbered(t, id, "n", 0, 9);
    Add(t, id, {"BTRRW1", "BTRRW2", "BTRW1", "BTRW2", "BTCLR", "BTCLR2", "BTFW1", "BTFW2", "BTFFW1", "BTFFW2"});
    Add(t, id, {"CurrentKey", "TargetKey", "cent"});
    Add(t, id, {"C", "C#", "Db", "D", "D#", "Eb", "E", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb", "B"});
    Add(t, id, {"auto", "none", "hz", "numno"});
    AddNumbered(t, id, "T", 1, 37);
    AddNumbered(t, id, "", 0, 9);
    Add(t, id, {"minus", "poweroff", "poweron", "flat", "sharp", "instoff", "inston"});
    for (int n = 1; n <= 4; ++n) {
        std::string stem = "inst" + std::to_string(n);
        Add(t, id, {(stem + "off").c_str(), (stem + "on").c_str()});
    }
    for (int n = 1; n <= 6; ++n) {
        std::string stem = "st" + std::to_string(n);
        Add(t, id, {(stem + "off").c_str(), (stem + "on").c_str()});
    }
    Add(t, id, {"Config", "Config2", "up1", "up2", "down1", "down2", "beat", "measure", "Conductor", "tempo"});
    Add(t, id, {"ball1", "ball2", "signal1", "signal2", "shadow", "led", "led2", "led3"});
    return t;
}

}  // namespace

const std::array<std::string, kImageCount>& ImageAssetTable() {
    static const std::array<std::string, kImageCount> table = BuildTable();
    return table;
}
