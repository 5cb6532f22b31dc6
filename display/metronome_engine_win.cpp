// Starting and stopping the metronome's stream, and its click sounds.
#include "display/metronome_engine_win.h"

#include <array>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/program_folder_win.h"
#include "display/images_win.h"
#include "display/metronome_engine.h"
#include "display/metronome_stream_win.h"
#include "display/metronome_tables.h"

namespace {

std::array<WaveSource, kClickSlotCount> click_slots{};
bool stream_running = false;

// Ends a running stream; false when its thread wouldn't end, so that nothing it reads is freed.
bool EndStream() {
    if (!stream_running) return true;
    if (!StopMetronomeStream()) return false;
    stream_running = false;
    app.worker_state = 0;
    return true;
}

}  // namespace

void StartMetronome() {
    // A previous run's stream must be gone before the run state is reset under it.
    if (!EndStream()) return;
    app.rod_position = metronome_tables::SwingFor(app.metronome_tempo).lo;
    app.metronome_started = 0;
    app.beat_index = 0;
    app.bar_count = 0;
    app.swing_direction = 1;
    app.tick_count = 0;
    InvalidateDrawingArea();
    const std::array<ClickSound, 2> sounds = {ClickSoundOf(click_slots[0]), ClickSoundOf(click_slots[1])};
    // Entering the screen while the pause is lit (set on another tool) starts the run held.
    stream_running = StartMetronomeStream(sounds, app.paused != 0);
    app.worker_state = stream_running ? 1 : 0;
}

void StopMetronome() {
    EndStream();
    app.swing_direction = 0;
    app.rod_position = metronome_tables::kRestPosition;
    InvalidateDrawingArea();
}

void PauseMetronome(bool paused) {
    PauseMetronomeStream(paused);
}

void ResetMetronomeScreen() {
    LoadClickSounds();
    app.swing_direction = 0;
    app.rod_position = metronome_tables::kRestPosition;
}

bool LoadClickSounds() {
    // The stream mixes from the slots; a new set is loaded only with no run reading the old one.
    if (!EndStream()) return false;
    const std::vector<std::string> folders = DataFolders();
    const std::array<std::vector<std::string>, 2> candidates = {
        ClickFileCandidates(kAccentClickSlot, app.metro_sound_file[0], folders),
        ClickFileCandidates(kBeatClickSlot, app.metro_sound_file[1], folders),
    };
    return LoadClickSet(click_slots.data(), kClickSlotCount, candidates);
}

void FreeClickSounds() {
    // At exit the stream must not outlive the sounds it mixes.
    EndStream();
    FreeClickSet(click_slots.data(), kClickSlotCount);
}
