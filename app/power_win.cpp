// Power, pause and tool switches: carrying out the sequences of tool_sequence.h with the devices,
// the menu and the toolbar.
#include "app/power_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/main_window_win.h"
#include "app/menu_marks_win.h"
#include "app/toolbar_win.h"
#include "audio/capture_win.h"
#include "display/images_win.h"
#include "display/metronome_engine_win.h"
#include "resources/resource_ids.h"

namespace {

// Opens and starts the capture unless it already runs; false when the device can't be opened.
bool EnsureCaptureRunning() {
    if (app.capture_running) return true;
    if (OpenCapture(app.main_window) != 0) return false;
    StartCapture();
    return true;
}

void StopToolCapture() {
    if (app.capture_running) StopCapture();
}

// Carries out one action; false only when a capture can't be started.
bool Run(ToolAction action, int left_tool) {
    switch (action) {
        case ToolAction::kStartCapture: return EnsureCaptureRunning();
        case ToolAction::kStopCapture: StopToolCapture(); break;
        case ToolAction::kStartMetronome: StartMetronome(); break;
        case ToolAction::kStopMetronome: StopMetronome(); break;
        case ToolAction::kPauseMetronome: PauseMetronome(true); break;
        case ToolAction::kResumeMetronome: PauseMetronome(false); break;
        case ToolAction::kLeaveTool: LeaveTool(left_tool); break;
        case ToolAction::kEnterTool: EnterTool(left_tool); break;
    }
    return true;
}

}  // namespace

bool RunToolSequence(const ToolSequence& sequence) {
    bool capture_ok = true;
    for (ToolAction action : sequence.actions) capture_ok = Run(action, sequence.left_tool) && capture_ok;
    ApplyCheckMarks(sequence.marks);
    SetToolbarImage(IDM_POWER, app.power_on ? kImagePowerOn : kImagePowerOff);
    SetToolbarImage(IDM_PAUSE, app.paused ? kImagePauseOn : kImagePauseOff);
    if (!sequence.actions.empty()) InvalidateDrawingArea();
    return capture_ok;
}

void PowerOff() {
    RunToolSequence(PowerOffSequence(app));
}

void TogglePower() {
    RunToolSequence(TogglePowerSequence(app));
}

void TogglePause() {
    // A capture that can't be reopened after a pause leaves the pause image lit: no audio runs
    // until the power cycles.
    if (!RunToolSequence(TogglePauseSequence(app))) SetToolbarImage(IDM_PAUSE, kImagePauseOn);
}
