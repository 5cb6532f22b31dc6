// What power, pause, a tool switch and a metronome-kind choice do, in order, without windows: the
// state changes here, the Win32 layer carries out the actions, and the menu marks come from the
// menu_marks rules.
#ifndef HARMOLAB_APP_TOOL_SEQUENCE_H
#define HARMOLAB_APP_TOOL_SEQUENCE_H

#include <vector>

#include "app/app_state.h"
#include "app/menu_marks.h"

enum class ToolAction {
    kStartCapture,    // open and start the capture unless it runs
    kStopCapture,     // stop it if it runs
    kStartMetronome,  // the metronome's run and its picture
    kStopMetronome,
    kPauseMetronome,
    kResumeMetronome,
    kLeaveTool,  // the current tool's resources go (before current_tool changes)
    kEnterTool,  // the new tool's display and half size (after it changed)
};

struct ToolSequence {
    std::vector<ToolAction> actions;  // in order
    std::vector<MenuMark> marks;      // the check marks to set afterwards
    int left_tool = -1;               // the tool kLeaveTool ends
};

// The power command: off when on (a pause ends with it), otherwise on and the tool started.
ToolSequence TogglePowerSequence(AppState& s);
// Switches power off; nothing to do when it is off already.
ToolSequence PowerOffSequence(AppState& s);
// The pause command; nothing while the power is off.
ToolSequence TogglePauseSequence(AppState& s);
// A switch to `tool`. Only all-tools mode changes the tool; choosing the current tool again (any
// mode) only marks the metronome kind when the metronome is the tool.
ToolSequence GoToolSequence(AppState& s, int tool);
// A metronome kind chosen from the menu: power off (the run steps by the kind), the kind, then the
// switch to the metronome.
ToolSequence ChooseKindSequence(AppState& s, int kind);

#endif
