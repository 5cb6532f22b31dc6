// Tuner and metronome buttons, the weight drag and the spectrum's keyboard strip.
#include "app/pointer_input.h"

#include <algorithm>

#include "display/metronome_layout.h"
#include "display/tunings.h"
#include "resources/resource_ids.h"

namespace {

struct Box {
    int x0, x1, y0, y1;  // inclusive
    bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Boxes at normal size and at half size.
struct TunerBoxes {
    Box target_key, string_up, string_down, panel, instrument, string, config, corner;
    Box steps[5];
};

constexpr TunerBoxes kNormal = {
    {101, 279, 351, 369},
    {191, 249, 400, 419},
    {191, 249, 451, 472},
    {11, 69, 421, 449},
    {71, 189, 421, 449},
    {191, 249, 421, 449},
    {251, 325, 421, 449},
    {1, 23, 1, 23},
    {{351, 392, 421, 456}, {399, 440, 421, 456}, {447, 488, 421, 456}, {495, 536, 421, 456}, {543, 584, 421, 456}}};
constexpr TunerBoxes kHalf = {
    {51, 139, 176, 184},
    {96, 124, 200, 209},
    {96, 124, 226, 235},
    {6, 34, 211, 224},
    {36, 94, 211, 224},
    {96, 124, 211, 224},
    {126, 162, 211, 224},
    {1, 11, 1, 11},
    {{176, 195, 211, 227}, {200, 219, 211, 227}, {224, 243, 211, 227}, {248, 267, 211, 227}, {272, 291, 211, 227}}};

constexpr int kReferenceToneMs = 1000;
constexpr int kTuningCommands[kInstrumentCount] = {IDM_GUITAR_TUNING, IDM_BASS_TUNING, IDM_UKULELE_TUNING,
                                                   IDM_SHAMISEN_TUNING};
constexpr int kStepSizes[5] = {-5, -1, 0, 1, 5};
constexpr unsigned kRepeatTicks = 5;

int ValidInstrument(const AppState& s) {
    return (s.instrument >= 0 && s.instrument < kInstrumentCount) ? s.instrument : 0;
}

void StepString(AppState& s, int delta) {
    int count = StringCount(ValidInstrument(s));
    s.string_index = ((s.string_index + delta) % count + count) % count;
    SetTargetFromTuning(s);
}

PointerAction Pressed(AppState& s, int id) {
    s.pressed_button = id;
    return PointerAction{true, 0, 0, 0};
}

// The panel, the string buttons and the corner switch act only while no button is held.
PointerAction PanelPress(AppState& s, const TunerBoxes& b, int x, int y, bool dialog_open) {
    if (b.string_up.Contains(x, y)) {
        StepString(s, 1);
        return Pressed(s, 11);
    }
    if (b.string_down.Contains(x, y)) {
        StepString(s, -1);
        return Pressed(s, 12);
    }
    if (b.panel.Contains(x, y)) {
        s.inst_status = s.inst_status ? 0 : 1;
        if (s.inst_status) SetTargetFromTuning(s);
        return Pressed(s, 7);
    }
    if (s.inst_status && b.instrument.Contains(x, y)) {
        s.instrument = (ValidInstrument(s) + 1) % kInstrumentCount;
        s.string_index = std::min(s.string_index, StringCount(s.instrument) - 1);
        SetTargetFromTuning(s);
        return Pressed(s, 7);
    }
    if (s.inst_status && b.string.Contains(x, y)) {
        StepString(s, 1);
        return Pressed(s, 7);
    }
    if (!dialog_open && b.config.Contains(x, y)) {
        PointerAction action = Pressed(s, 10);
        action.command = kTuningCommands[ValidInstrument(s)];
        return action;
    }
    if (b.corner.Contains(x, y)) {
        s.fors_status = s.fors_status ? 0 : 1;
        return Pressed(s, 6);
    }
    return {};
}

// Metronome boxes at normal size and at half size.
struct MetronomeBoxes {
    Box tempo_down, tempo_up;                // Normal layout
    Box bar_down, bar_up, top_down, top_up;  // top row
};

constexpr MetronomeBoxes kMetronomeNormal = {{251, 292, 353, 388}, {347, 388, 353, 388}, {76, 117, 11, 46},
                                             {178, 219, 11, 46},   {371, 412, 11, 46},   {576, 617, 11, 46}};
constexpr MetronomeBoxes kMetronomeHalf = {{126, 145, 177, 193}, {174, 193, 177, 193}, {38, 58, 6, 22},
                                           {89, 109, 6, 22},     {186, 205, 6, 22},    {288, 308, 6, 22}};

constexpr int kBeatNoLast = 5;

void StepTempo(AppState& s, int delta) {
    s.metronome_tempo = std::clamp(s.metronome_tempo + delta, kMinTempo, kMaxTempo);
}

}  // namespace

PointerAction TunerPress(AppState& s, int x, int y, bool tuning_dialog_open) {
    const TunerBoxes& b = s.screen_size == 0 ? kNormal : kHalf;
    PointerAction action;
    if (b.target_key.Contains(x, y) && s.target_note >= 1 && s.target_note <= 88) {
        action.tone_key = s.target_note;
        action.tone_ms = kReferenceToneMs;
    }
    if (s.pressed_button == 0) {
        PointerAction panel = PanelPress(s, b, x, y, tuning_dialog_open);
        if (panel.refresh) {
            panel.tone_key = action.tone_key;
            panel.tone_ms = action.tone_ms;
            action = panel;
        }
    }
    for (int button = 0; button < 5; ++button) {
        if (!b.steps[button].Contains(x, y)) continue;
        s.pressed_button = button + 1;
        if (button == 2) s.target_note = 0;
        action.refresh = true;
    }
    return action;
}

PointerAction MetronomePress(AppState& s, int x, int y) {
    if (s.power_on) return {};
    if (WeightHit(s.rod_position, s.metronome_tempo, s.screen_size, x, y)) {
        s.last_drag_y = y;
        return Pressed(s, 1);
    }
    const MetronomeBoxes& b = s.screen_size == 0 ? kMetronomeNormal : kMetronomeHalf;
    if (b.tempo_down.Contains(x, y)) return Pressed(s, 2);
    if (b.tempo_up.Contains(x, y)) return Pressed(s, 4);
    if (b.bar_down.Contains(x, y)) {
        s.beat_no = s.beat_no - 1 < 0 ? kBeatNoLast : s.beat_no - 1;
        return Pressed(s, 20);
    }
    if (b.bar_up.Contains(x, y)) {
        s.beat_no = s.beat_no + 1 > kBeatNoLast ? 0 : s.beat_no + 1;
        return Pressed(s, 21);
    }
    if (b.top_down.Contains(x, y)) {
        StepTempo(s, -1);
        return Pressed(s, 30);
    }
    if (b.top_up.Contains(x, y)) {
        StepTempo(s, 1);
        return Pressed(s, 31);
    }
    return {};
}

bool MetronomeDrag(AppState& s, int x, int y, bool left_button_down) {
    // The tempo stays as it is while the beat runs: the running swing was set up for it. A move
    // without the button is no drag, whatever press was seen last.
    if (!left_button_down || s.current_tool != kToolMetronome || s.pressed_button != 1 || s.power_on) return false;
    if (!WeightDragArea(s.rod_position, s.screen_size, x, y)) return false;
    StepTempo(s, y - s.last_drag_y);
    s.last_drag_y = y;
    return true;
}

bool MetronomeRepeat(AppState& s) {
    int button = s.pressed_button;
    if (s.current_tool != kToolMetronome || s.power_on || s.tick_count <= kRepeatTicks) return false;
    int delta = (button == 2 || button == 30) ? -1 : (button == 4 || button == 31) ? 1 : 0;
    if (delta == 0) return false;
    int wanted = s.metronome_tempo + delta;
    StepTempo(s, delta);
    s.tick_count = 0;
    // At either end the tempo holds and the picture stays as it is.
    return wanted == s.metronome_tempo;
}

bool ReleasePress(AppState& s) {
    if (s.current_tool == kToolSpectrum || s.pressed_button == 0) return false;
    s.pressed_button = 0;
    return true;
}

bool TunerRepeat(AppState& s) {
    int button = s.pressed_button;
    if (s.current_tool != kToolTuner || button < 1 || button > 5 || button == 3 || s.tick_count <= kRepeatTicks) {
        return false;
    }
    int before = s.target_note;
    s.target_note = std::clamp(before + kStepSizes[button - 1], 1, 88);
    s.tick_count = 0;
    return s.target_note != before;
}

int SpectrumStripKey(int window_width, int window_height, int xw, int yw, int frame_width) {
    int top = window_height * 80 / 104;
    int bottom = window_height * 92 / 104;
    if (!(yw > top && yw < bottom && xw > frame_width && xw < window_width - 4)) return 0;
    double key_width = (window_width - 2.0 * frame_width) / 88;
    int key = 1 + static_cast<int>((xw - frame_width) / key_width);
    return std::clamp(key, 1, 88);
}
