// Check marks and gray states of the main menu, computed from a plain snapshot of the state.
#ifndef HARMOLAB_APP_MENU_MARKS_H
#define HARMOLAB_APP_MENU_MARKS_H

#include <array>
#include <vector>

#include "app/app_state.h"

struct MenuMark {
    int id;
    bool on;  // checked, or grayed in GrayedItems

    bool operator==(const MenuMark& other) const { return id == other.id && on == other.on; }
};

struct MenuSnapshot {
    int launch_mode = kLaunchAllTools;
    int current_tool = kToolSpectrum;
    int power_on = 0;
    int paused = 0;
    int metronome_kind = 0;
    int plot_mode = 0;
    int screen_size = 0;
    int play_kind = 0;
    bool wave_view_open = false;
    std::array<int, kDownbeatBars> downbeat{};
};

MenuSnapshot SnapshotOf(const AppState& state);

// How the metronome kinds are marked: only while the metronome is the tool, or regardless of it.
enum class KindForm { kToolDependent, kKindOnly };

std::vector<MenuMark> PowerMarks(const MenuSnapshot& s);
std::vector<MenuMark> ToolMarks(const MenuSnapshot& s);
std::vector<MenuMark> MetronomeKindMarks(const MenuSnapshot& s, KindForm form);
std::vector<MenuMark> PlotMarks(const MenuSnapshot& s);
std::vector<MenuMark> SizeMarks(const MenuSnapshot& s);
std::vector<MenuMark> DownbeatMarks(const MenuSnapshot& s);
std::vector<MenuMark> PlaybackMarks(const MenuSnapshot& s);

// Every check mark of the menu, the metronome kinds in their tool-dependent form.
std::vector<MenuMark> AllCheckMarks(const MenuSnapshot& s);

// Items grayed at creation for a launch mode (the other tools and what only all-tools mode
// offers); empty in all-tools mode. The Recording item is grayed separately when the system's
// volume control is missing.
std::vector<int> GrayedItems(int launch_mode);

// Downbeat menu numbering: popup n (2..6), item k (1..n).
int DownbeatCommand(int beats, int position);
// Fills beats and position for a downbeat command id; false for any other id.
bool DownbeatFromCommand(int id, int& beats, int& position);

#endif
