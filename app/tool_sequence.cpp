// The power, pause and tool-switch rules.
#include "app/tool_sequence.h"

namespace {

void Append(std::vector<MenuMark>& to, const std::vector<MenuMark>& marks) {
    to.insert(to.end(), marks.begin(), marks.end());
}

void Append(ToolSequence& to, const ToolSequence& more) {
    to.actions.insert(to.actions.end(), more.actions.begin(), more.actions.end());
    Append(to.marks, more.marks);
    if (more.left_tool >= 0) to.left_tool = more.left_tool;
}

// Starting the current tool, with the power already on.
std::vector<ToolAction> StartTool(AppState& s) {
    switch (s.current_tool) {
        case kToolMetronome: return {ToolAction::kStartMetronome};
        case kToolTuner:
            s.tuner_needle = -50;
            s.tuner_active = 1;
            return {ToolAction::kStartCapture};
        default: return {ToolAction::kStartCapture};
    }
}

}  // namespace

ToolSequence PowerOffSequence(AppState& s) {
    ToolSequence out;
    if (!s.power_on) return out;
    s.power_on = 0;
    if (s.current_tool == kToolMetronome) {
        out.actions = {ToolAction::kStopMetronome};
    } else {
        out.actions = {ToolAction::kStopCapture};
        if (s.current_tool == kToolTuner) {
            s.tuner_needle = -50;
            s.tuner_active = 0;
        }
    }
    s.paused = 0;
    out.marks = PowerMarks(SnapshotOf(s));
    return out;
}

ToolSequence TogglePowerSequence(AppState& s) {
    if (s.power_on) return PowerOffSequence(s);
    ToolSequence out;
    s.power_on = 1;
    out.actions = StartTool(s);
    out.marks = PowerMarks(SnapshotOf(s));
    return out;
}

ToolSequence TogglePauseSequence(AppState& s) {
    ToolSequence out;
    if (!s.power_on) return out;
    const bool metronome = s.current_tool == kToolMetronome;
    s.paused = s.paused ? 0 : 1;
    if (s.paused) {
        out.actions = {metronome ? ToolAction::kPauseMetronome : ToolAction::kStopCapture};
    } else {
        out.actions = {metronome ? ToolAction::kResumeMetronome : ToolAction::kStartCapture};
    }
    out.marks = PowerMarks(SnapshotOf(s));
    return out;
}

ToolSequence GoToolSequence(AppState& s, int tool) {
    ToolSequence out;
    if (tool == s.current_tool) {
        if (tool == kToolMetronome) out.marks = MetronomeKindMarks(SnapshotOf(s), KindForm::kKindOnly);
        return out;
    }
    if (s.launch_mode != kLaunchAllTools) return out;
    out.actions = {ToolAction::kLeaveTool};
    out.left_tool = s.current_tool;
    if (s.current_tool == kToolTuner) {
        s.tuner_needle = -50;
        s.tuner_active = 0;
    }
    s.current_tool = tool;
    out.actions.push_back(ToolAction::kEnterTool);
    if (tool == kToolTuner) s.tuner_needle = -50;
    if (s.power_on) {
        const std::vector<ToolAction> start = StartTool(s);
        out.actions.insert(out.actions.end(), start.begin(), start.end());
    }
    const MenuSnapshot snapshot = SnapshotOf(s);
    out.marks = ToolMarks(snapshot);
    Append(out.marks, MetronomeKindMarks(snapshot, KindForm::kToolDependent));
    return out;
}

ToolSequence ChooseKindSequence(AppState& s, int kind) {
    ToolSequence out = PowerOffSequence(s);
    s.metronome_kind = kind;
    Append(out, GoToolSequence(s, kToolMetronome));
    return out;
}
