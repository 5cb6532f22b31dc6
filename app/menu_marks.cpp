// Check-mark and gray-state rules of the main menu.
#include "app/menu_marks.h"

#include "resources/resource_ids.h"

MenuSnapshot SnapshotOf(const AppState& state) {
    MenuSnapshot s;
    s.launch_mode = state.launch_mode;
    s.current_tool = state.current_tool;
    s.power_on = state.power_on;
    s.paused = state.paused;
    s.metronome_kind = state.metronome_kind;
    s.plot_mode = state.plot_mode;
    s.screen_size = state.screen_size;
    s.play_kind = state.play_kind;
    s.wave_view_open = state.dialogs.wave_view.load() != nullptr;
    for (int i = 0; i < kDownbeatBars; ++i) s.downbeat[i] = state.downbeat[i];
    return s;
}

std::vector<MenuMark> PowerMarks(const MenuSnapshot& s) {
    return {{IDM_POWER, s.power_on != 0}, {IDM_PAUSE, s.paused != 0}};
}

std::vector<MenuMark> ToolMarks(const MenuSnapshot& s) {
    return {{IDM_SPECTRUM, s.current_tool == kToolSpectrum}, {IDM_TUNER, s.current_tool == kToolTuner}};
}

std::vector<MenuMark> MetronomeKindMarks(const MenuSnapshot& s, KindForm form) {
    bool shown = form == KindForm::kKindOnly || s.current_tool == kToolMetronome;
    std::vector<MenuMark> marks;
    for (int kind = 0; kind < kMetronomeKindCount; ++kind) {
        marks.push_back({IDM_KIND_NORMAL + kind, shown && s.metronome_kind == kind});
    }
    return marks;
}

std::vector<MenuMark> PlotMarks(const MenuSnapshot& s) {
    return {{IDM_NOTE_MODE, (s.plot_mode & 1) != 0}, {IDM_OSCILLOSCOPE, (s.plot_mode & 2) != 0}};
}

std::vector<MenuMark> SizeMarks(const MenuSnapshot& s) {
    return {{IDM_HALF_SIZE, s.screen_size != 0}, {IDM_NORMAL_SIZE, s.screen_size == 0}};
}

std::vector<MenuMark> DownbeatMarks(const MenuSnapshot& s) {
    std::vector<MenuMark> marks;
    for (int beats = 2; beats <= 6; ++beats) {
        for (int position = 1; position <= beats; ++position) {
            marks.push_back({DownbeatCommand(beats, position), s.downbeat[beats - 2] == position});
        }
    }
    return marks;
}

std::vector<MenuMark> PlaybackMarks(const MenuSnapshot& s) {
    return {{IDM_WAVE_PLAY, s.play_kind == 3}, {IDM_WAVE_VIEW, s.wave_view_open}};
}

std::vector<MenuMark> AllCheckMarks(const MenuSnapshot& s) {
    std::vector<MenuMark> all;
    for (const auto& group : {PowerMarks(s), ToolMarks(s), MetronomeKindMarks(s, KindForm::kToolDependent),
                              PlotMarks(s), SizeMarks(s), DownbeatMarks(s), PlaybackMarks(s)}) {
        all.insert(all.end(), group.begin(), group.end());
    }
    return all;
}

std::vector<int> GrayedItems(int launch_mode) {
    if (launch_mode == kLaunchAllTools) return {};
    std::vector<int> items;
    if (launch_mode == kToolSpectrum) items = {IDM_TUNER};
    if (launch_mode == kToolTuner) items = {IDM_SPECTRUM};
    if (launch_mode == kToolMetronome) items = {IDM_SPECTRUM, IDM_TUNER};
    for (int id :
         {IDM_RHYTHM_BOX, IDM_CONFIG, IDM_GUITAR_TUNING, IDM_BASS_TUNING, IDM_UKULELE_TUNING, IDM_SHAMISEN_TUNING}) {
        items.push_back(id);
    }
    return items;
}

namespace {
// First command id of each downbeat popup, for bars of 2..6 beats.
int FirstDownbeatCommand(int beats) {
    return IDM_DOWNBEAT_FIRST + (beats - 2) * (beats + 1) / 2;
}
}  // namespace

int DownbeatCommand(int beats, int position) {
    return FirstDownbeatCommand(beats) + position - 1;
}

bool DownbeatFromCommand(int id, int& beats, int& position) {
    for (int n = 2; n <= 6; ++n) {
        int first = FirstDownbeatCommand(n);
        if (id >= first && id < first + n) {
            beats = n;
            position = id - first + 1;
            return true;
        }
    }
    return false;
}
