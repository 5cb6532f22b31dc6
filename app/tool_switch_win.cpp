// Switching between the spectrum analyser, the tuner and the metronome (all-tools mode only).
#include "app/debug_log.h"
#include "app/main_window_win.h"
#include "app/menu_marks.h"
#include "app/menu_marks_win.h"
#include "app/power_win.h"
#include "app/toolbar_win.h"
#include "audio/analysis_tables.h"
#include "audio/capture_win.h"
#include "display/images_win.h"
#include "display/metronome_engine_win.h"
#include "display/spectrum_display_win.h"
#include "resources/resource_ids.h"

namespace {

void StopCaptureLogged(const char* before, const char* after) {
    if (!app.capture_running) return;
    DebugLine(before);
    StopCapture();
    DebugLine(after);
}

void EscapeTool(int tool) {
    switch (tool) {
        case kToolMetronome:
            DebugLine("escape Metronome\r\n");
            StopMetronome();
            FreeClickSounds();
            break;
        case kToolTuner: StopCaptureLogged("escape Tuner1\r\n", "escape Tuner2\r\n"); break;
        default: StopCaptureLogged("escape Spectrum1\r\n", "escape Spectrum2\r\n"); break;
    }
}

// The spectrum analyser paints its own bitmap; the tuner and the metronome share the images.
void RebuildDisplay(int from, int to) {
    if (to == kToolSpectrum) {
        // The 176 images belong to the tuner and the metronome; the spectrum picture needs none.
        ReleaseImages();
        ReleaseSpectrumResources();
        ReleaseBackBuffer();
        CreateSpectrumResources(app.window_dc);
    } else if (from == kToolSpectrum) {
        ReleaseSpectrumResources();
        CreateBackBuffer();
        LoadAllImages();
    }
}

// Each kind of picture has its own half size; the window follows.
void FitHalfSize(int tool) {
    if (tool == kToolSpectrum && app.screen_size == 1) app.screen_size = 2;
    if (tool != kToolSpectrum && app.screen_size == 2) app.screen_size = 1;
    OnCommand(app.main_window, IDM_HALF_SIZE);
}

void PrepareTool(int tool) {
    if (tool == kToolSpectrum || tool == kToolTuner) BuildAnalysisTables();
    if (tool == kToolMetronome) ResetMetronomeScreen();
}

}  // namespace

void LeaveTool(int tool) {
    EscapeTool(tool);
}

void EnterTool(int from) {
    RebuildDisplay(from, app.current_tool);
    FitHalfSize(app.current_tool);
    PrepareTool(app.current_tool);
    ShowCurrentToolOnToolbar();
}

void OnGoTool(int tool) {
    RunToolSequence(GoToolSequence(app, tool));
}
