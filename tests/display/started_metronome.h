// A metronome as StartMetronome leaves it, and a screen that records what the beat engine asks of it.
#ifndef HARMOLAB_TESTS_DISPLAY_STARTED_METRONOME_H
#define HARMOLAB_TESTS_DISPLAY_STARTED_METRONOME_H

#include <string>

#include "app/app_state.h"
#include "display/metronome_engine.h"
#include "display/metronome_tables.h"

inline AppState StartedMetronome(int kind, int tempo, int beat_no, int downbeat) {
    AppState s;
    s.metronome_kind = kind;
    s.metronome_tempo = tempo;
    s.beat_no = beat_no;
    const int length = metronome_tables::BeatsPerBar(beat_no);
    if (length >= 2) s.downbeat[static_cast<std::size_t>(length - 2)] = downbeat;
    s.rod_position = metronome_tables::SwingFor(tempo).lo;
    s.swing_direction = 1;
    return s;
}

// Clicks as letters: A the accent's sound, B the beat's.
struct RecordingScreen : MetronomeOutput {
    std::string clicks;
    int repaints = 0;
    void Click(int slot) override { clicks += slot == kAccentClickSlot ? 'A' : 'B'; }
    void Invalidate() override { ++repaints; }
};

#endif
