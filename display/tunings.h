// Instrument tunings: the default targets of every string, the names the tuning dialog offers,
// and the rule that turns a chosen name into a target note.
#ifndef HARMOLAB_DISPLAY_TUNINGS_H
#define HARMOLAB_DISPLAY_TUNINGS_H

#include <array>
#include <string>

#include "app/app_state.h"

// "C", "Db", ..., "B": the twelve names every combo offers, always with flats.
const std::array<const char*, 12>& NoteNameList();

// Semitones from the default name to the chosen one, in -5..+6 (chosen != default).
int NameOffset(int chosen, int default_name);

// The dialog shows one combo per string, top first. Combo k edits this string index: the bass
// lists G, D, A, E from the top, so its combos run from the highest string down.
int StringIndexOfCombo(int instrument, int combo);

// The default name index of combo k: the letter of the default target that combo edits.
int DefaultNameOfCombo(int instrument, int combo);

// The stored name selections of an instrument, combo order (guitar_keys .. shamisen_keys).
int* NameSelections(AppState& state, int instrument);

// OK in the dialog: keep the selections and move each string's target from its default.
void ApplyTuningSelections(AppState& state, int instrument, const std::array<int, kMaxStrings>& selections);
// Reset in the dialog: every selection back to its default name; the targets wait for OK.
void ResetTuningSelections(AppState& state, int instrument);

// The tuner's target from the open-string table.
void SetTargetFromTuning(AppState& state);

#endif
