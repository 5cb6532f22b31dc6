// Note names with sharps; the octave number changes at each C.
#include "audio/note_names.h"

namespace {
const char* const kNamesFromC[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// Key 1 is A, nine semitones above the C that starts octave 0 of the tuner's counting.
std::string NameWithOctaveShift(int key, int octave_shift) {
    if (key < 1 || key > 88) return "";
    int from_c = key + 8;
    return std::string(kNamesFromC[from_c % 12]) + std::to_string(from_c / 12 + octave_shift);
}
}  // namespace

std::string SpectrumNoteName(int key) {
    return NameWithOctaveShift(key, -1);
}
std::string TunerNoteName(int key) {
    return NameWithOctaveShift(key, 0);
}
