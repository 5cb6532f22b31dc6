// Tuning tables and the dialog's OK rule.
#include "display/tunings.h"

#include "app/settings.h"

const std::array<const char*, 12>& NoteNameList() {
    static const std::array<const char*, 12> names = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
    return names;
}

int NameOffset(int chosen, int default_name) {
    int d = chosen - default_name;
    if (d > 0) return d <= 6 ? d : d - 12;
    if (d < 0) return d + 12 <= 6 ? d + 12 : d;
    return 0;
}

int StringIndexOfCombo(int instrument, int combo) {
    if (instrument == 1) return StringCount(instrument) - 1 - combo;
    return combo;
}

int DefaultNameOfCombo(int instrument, int combo) {
    switch (instrument) {
        case 0: return kDefaultGuitarKeys[combo];
        case 1: return kDefaultBassKeys[combo];
        case 2: return kDefaultUkuleleKeys[combo];
        default: return kDefaultShamisenKeys[combo];
    }
}

int* NameSelections(AppState& state, int instrument) {
    switch (instrument) {
        case 0: return state.guitar_keys.data();
        case 1: return state.bass_keys.data();
        case 2: return state.ukulele_keys.data();
        default: return state.shamisen_keys.data();
    }
}

void ApplyTuningSelections(AppState& state, int instrument, const std::array<int, kMaxStrings>& selections) {
    int* names = NameSelections(state, instrument);
    for (int combo = 0; combo < StringCount(instrument); ++combo) {
        int chosen = selections[combo];
        if (chosen < 0 || chosen > 11) continue;
        int default_name = DefaultNameOfCombo(instrument, combo);
        int string = StringIndexOfCombo(instrument, combo);
        names[combo] = chosen;
        int base = kDefaultOpenStringKeys[instrument][string];
        state.open_string_keys[instrument][string] =
            chosen == default_name ? base : base + NameOffset(chosen, default_name);
    }
}

void ResetTuningSelections(AppState& state, int instrument) {
    int* names = NameSelections(state, instrument);
    for (int combo = 0; combo < StringCount(instrument); ++combo) names[combo] = DefaultNameOfCombo(instrument, combo);
}

void SetTargetFromTuning(AppState& state) {
    int instrument = (state.instrument >= 0 && state.instrument < kInstrumentCount) ? state.instrument : 0;
    int string = state.string_index;
    if (string < 0 || string >= StringCount(instrument)) string = 0;
    state.target_note = state.open_string_keys[instrument][string];
}
