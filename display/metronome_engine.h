// The metronome's beat engine without threads or clocks: the timing plan of one run, the steps of the
// four kinds with their beat bookkeeping and accents, the compensation after each step, and the
// loading of the two click sounds. The Win32 layer supplies the clock and the output.
//
// Times are milliseconds; times of day count from midnight UTC (0 .. 86,399,999).
#ifndef HARMOLAB_DISPLAY_METRONOME_ENGINE_H
#define HARMOLAB_DISPLAY_METRONOME_ENGINE_H

#include <array>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "wavetools/wave_source.h"

// Metronome kinds (metronome_kind).
enum MetronomeKind : int { kKindNormal = 0, kKindConductor = 1, kKindBall = 2, kKindSignal = 3 };

// Click slots. The Config dialog names slot 0 "強拍のサウンドファイル" (METRO/SOUND1, the accented
// beat) and slot 1 "拍のサウンドファイル" (METRO/SOUND2, every other beat); the clicks follow those
// labels.
constexpr int kClickSlotCount = 10;
constexpr int kAccentClickSlot = 0;
constexpr int kBeatClickSlot = 1;
// Played when a setting names no file, looked up in the working folder, then beside the program.
constexpr std::array<const char*, 2> kDefaultClickFiles = {"click_accent.wav", "click.wav"};

constexpr int kLastBarCount = 9999;  // the bar after it counts as 0
constexpr int kDayMs = 86400000;

// How one run spaces its steps (fixed at the start; the tempo can't change while it runs).
struct BeatTiming {
    double period_ms = 0;    // P: one beat, 60,000 / tempo
    int steps = 0;           // animation steps from one beat to the next
    int sleep_ms = 0;        // the sleep after every step: trunc(P / steps) rounded down to 10 ms
    int rem_ms = 0;          // the rest of trunc(P / steps), 0..9, spent busy
    double leftover_ms = 0;  // P - steps x sleep_ms
};

// The plan for a tempo (30..300) and a number of steps per beat.
BeatTiming TimingFor(int tempo, int steps);

// Steps of one swing of the tempo's range: hi - lo + 1 (37 at tempo 30, 27 at 120, 5 at 300).
int SwingSteps(int tempo);

// Steps from one beat to the next in a kind's motion. Ball and Conductor restart at lo after hi, a
// whole swing; Normal and Signal turn round at the ends (hi + 1 shows as hi - 1), one step fewer.
// The first beat of a Normal or Signal run comes one step later, as it starts from lo.
int StepsPerBeat(int kind, int tempo);

// Whether the current beat carries the bar's accent: beat_no is not 0 and the downbeat chosen for
// the bar length (1-based, 0 for none) is beat_index + 1.
bool BeatIsAccented(const AppState& state);

// The slot a beat plays: the accent's sound on the accented beat, the beat's sound otherwise.
constexpr int ClickSlotForBeat(bool accented) {
    return accented ? kAccentClickSlot : kBeatClickSlot;
}

// What a step does outside the state: ask for a click (the GUI thread starts it) and for a repaint.
class MetronomeOutput {
public:
    virtual ~MetronomeOutput() = default;
    virtual void Click(int slot) = 0;
    virtual void Invalidate() = 0;
};

// The time the worker keeps: the time of day, a coarse sleep and a precise busy wait.
class MetronomeClock {
public:
    virtual ~MetronomeClock() = default;
    virtual int TimeOfDayMs() = 0;
    virtual void SleepMs(int ms) = 0;
    // Returns once more than `ms` milliseconds have passed.
    virtual void BusyWaitMs(int ms) = 0;
};

// Plays the current beat's click by the accent rule.
void PlayBeatClick(const AppState& state, MetronomeOutput& output);

// One animation step of the current kind, moving the run state (rod_position, swing_direction,
// beat_index, bar_count, metronome_started, mid_swing). The first step after a start sounds the
// bar's first beat (the Conductor goes on with its first move in the same call). True when the step
// fired a beat, the first one included; mid_swing is then 0, otherwise 1.
bool MetronomeStep(AppState& state, MetronomeOutput& output);

// Milliseconds from one time of day to a later one, across midnight too; the result lies in
// -1 h .. 23 h, so that a clock read a little before the start gives a small negative number.
int MsBetween(int start_ms, int now_ms);

// The busy wait after a step's sleep, by metro_move_type (0, 1, 2; others count as 0):
// after a beat, 0 waits rem, 1 the leftover (truncated), 2 the lead over the beat's due time
// (-lag when lag < 0); mid-swing, 1 waits nothing and 0 and 2 wait rem.
int CompensationWaitMs(int move_type, bool beat_fired, const BeatTiming& timing, int lag_ms);

// One run of the metronome, from StartMetronome's state to the stop request. The constructor fixes
// the plan for the run's tempo and kind and takes the time base.
class MetronomeRun {
public:
    MetronomeRun(AppState& state, MetronomeClock& clock, MetronomeOutput& output);

    // The first call takes the time of day into metronome_start_ms and returns 0; later calls give
    // the time since then (a pause moves metronome_start_ms on, so paused time doesn't count).
    int ElapsedSinceStart();

    // Step (unless paused), sleep, compensate. For metro_move_type 2 a beat writes "now  lag" to the
    // debugger, lag being now minus the beat's due time (beats since the first x P).
    void Iterate();

    const BeatTiming& timing() const { return timing_; }
    // Beats fired in this run, the first one included.
    long long beats() const { return beats_; }

private:
    void Compensate();

    AppState& state_;
    MetronomeClock& clock_;
    MetronomeOutput& output_;
    BeatTiming timing_;
    bool time_base_taken_ = false;
    long long beats_ = 0;
};

// The worker's whole life: iterates while worker_state > 0, then sets it to 0.
void RunMetronome(AppState& state, MetronomeClock& clock, MetronomeOutput& output);

// Click sounds.

// Turns a loaded sound of any format that LoadWaveFile accepts (8, 16, 24 or 32 bits, mono or
// stereo, any rate) into 16-bit 44,100 Hz stereo, the click ring's format, resampling linearly and
// keeping at most one ring's worth. A sound already in that format is left alone. False (the sound
// unchanged) when it holds no whole sample frame or the memory isn't there.
bool ConvertToClickFormat(WaveSource& sound);

// The files tried for a slot: the configured path alone, or, when the setting is empty, the slot's
// default file in each folder in turn.
std::vector<std::string> ClickFileCandidates(int slot, const std::string& configured,
                                             const std::vector<std::string>& folders);

// Frees every slot's sound and the ring.
void FreeClickSet(WaveSource* slots, int slot_count, WaveSource& ring);

// Frees everything, loads slots 0 and 1 from the first candidate of each that loads (converted to
// the ring's format), then makes a new zero-filled ring of ClickRingBytes in 16-bit 44,100 Hz stereo
// with readPos at its start. False when either sound or the ring fails; the ring is then not made.
bool LoadClickSet(WaveSource* slots, int slot_count, WaveSource& ring,
                  const std::array<std::vector<std::string>, 2>& candidates);

#endif
