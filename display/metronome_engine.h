// The metronome's beat engine without threads or clocks: the steps of the four kinds with their beat
// bookkeeping and accents, and the loading of the two click sounds. When each step is taken is the
// output stream's business (display/metronome_player.h).
#ifndef HARMOLAB_DISPLAY_METRONOME_ENGINE_H
#define HARMOLAB_DISPLAY_METRONOME_ENGINE_H

#include <array>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "wavetools/wave_source.h"

// Click slots. The Config dialog names slot 0 "強拍のサウンドファイル" (METRO/SOUND1, the accented
// beat) and slot 1 "拍のサウンドファイル" (METRO/SOUND2, every other beat); the clicks follow those
// labels.
constexpr int kClickSlotCount = 10;
constexpr int kAccentClickSlot = 0;
constexpr int kBeatClickSlot = 1;
// Played when a setting names no file, looked up in the working folder, then beside the program.
constexpr std::array<const char*, 2> kDefaultClickFiles = {"click_accent.wav", "click.wav"};

constexpr int kLastBarCount = 9999;  // the bar after it counts as 0

// Whether the current beat carries the bar's accent: beat_no is not 0 and the downbeat chosen for
// the bar length (1-based, 0 for none) is beat_index + 1.
bool BeatIsAccented(const AppState& state);

// The slot a beat plays: the accent's sound on the accented beat, the beat's sound otherwise.
constexpr int ClickSlotForBeat(bool accented) {
    return accented ? kAccentClickSlot : kBeatClickSlot;
}

// What a step does outside the state: ask for a click and for a repaint.
class MetronomeOutput {
public:
    virtual ~MetronomeOutput() = default;
    virtual void Click(int slot) = 0;
    virtual void Invalidate() = 0;
};

// Plays the current beat's click by the accent rule.
void PlayBeatClick(const AppState& state, MetronomeOutput& output);

// One animation step of the current kind, moving the run state (rod_position, swing_direction,
// beat_index, bar_count, metronome_started, mid_swing). The first step after a start sounds the
// bar's first beat (the Conductor goes on with its first move in the same call). True when the step
// fired a beat, the first one included; mid_swing is then 0, otherwise 1.
bool MetronomeStep(AppState& state, MetronomeOutput& output);

// Click sounds.

// Turns a loaded sound of any format that LoadWaveFile accepts (8, 16, 24 or 32 bits, mono or
// stereo, any rate) into 16-bit 44,100 Hz stereo, the click format, band-limited (ConvertPcm16), and
// keeping at most MaxClickBytes. A sound already in that format is left alone. False (the sound
// unchanged) when it holds no whole sample frame or the memory isn't there.
bool ConvertToClickFormat(WaveSource& sound);

// The files tried for a slot: the configured path alone, or, when the setting is empty, the slot's
// default file in each folder in turn.
std::vector<std::string> ClickFileCandidates(int slot, const std::string& configured,
                                             const std::vector<std::string>& folders);

// Frees every slot's sound.
void FreeClickSet(WaveSource* slots, int slot_count);

// Frees everything, then loads slots 0 and 1 from the first candidate of each that loads (converted to
// the click format). False when either sound fails.
bool LoadClickSet(WaveSource* slots, int slot_count, const std::array<std::vector<std::string>, 2>& candidates);

#endif
