// Power and pause: starting and stopping whatever the current tool runs.
#include "app/power_win.h"

#include <windows.h>

#include "app/app_state.h"
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

}  // namespace

void PowerOff() {
    app.power_on = 0;
    SetCheckMark(IDM_POWER, false);
    switch (app.current_tool) {
        case kToolMetronome:
            StopMetronome();
            InvalidateDrawingArea();
            break;
        case kToolTuner:
            StopToolCapture();
            app.tuner_needle = -50;
            app.tuner_active = 0;
            break;
        default: StopToolCapture(); break;
    }
    SetToolbarImage(IDM_POWER, kImagePowerOff);
    if (app.paused) {
        SetToolbarImage(IDM_PAUSE, kImagePauseOff);
        app.paused = 0;
        SetCheckMark(IDM_PAUSE, false);
    }
}

void PowerOnTool() {
    switch (app.current_tool) {
        case kToolMetronome:
            StartMetronome();
            InvalidateDrawingArea();
            break;
        case kToolTuner:
            app.tuner_needle = -50;
            app.tuner_active = 1;
            EnsureCaptureRunning();
            break;
        default: EnsureCaptureRunning(); break;
    }
}

void TogglePower() {
    if (app.power_on) {
        PowerOff();
        return;
    }
    app.power_on = 1;
    SetCheckMark(IDM_POWER, true);
    PowerOnTool();
    SetToolbarImage(IDM_POWER, kImagePowerOn);
}

void TogglePause() {
    if (!app.power_on) {
        SetToolbarImage(IDM_PAUSE, kImagePauseOff);
        return;
    }
    bool metronome = app.current_tool == kToolMetronome;
    if (!app.paused) {
        app.paused = 1;
        SetCheckMark(IDM_PAUSE, true);
        if (!metronome) StopToolCapture();
        SetToolbarImage(IDM_PAUSE, kImagePauseOn);
        if (metronome) PauseMetronome(true);
        return;
    }
    app.paused = 0;
    SetCheckMark(IDM_PAUSE, false);
    // A capture that can't be reopened leaves the pause image lit: no audio runs until power cycles.
    if (!metronome && !EnsureCaptureRunning()) return;
    SetToolbarImage(IDM_PAUSE, kImagePauseOff);
    if (metronome) PauseMetronome(false);
}
