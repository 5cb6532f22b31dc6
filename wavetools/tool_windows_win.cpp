// WAV tools opened from the main menu: the test-tone dialog and WAVE analysis playback here; the
// vocal canceler and the Wave View each arrive with their own feature.
#include "wavetools/tool_windows_win.h"

#include <string>

#include "app/app_state.h"
#include "app/menu_marks_win.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/playback_win.h"
#include "wavetools/tone_dialog_win.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_view_win.h"
#include "wavetools/vocal_canceler_win.h"

HWND CreateToneDialog() {
    return OpenToneDialog();
}
HWND CreateVocalCancelerDialog() {
    return OpenVocalCancelerDialog();
}
void ToggleWaveView() {
    if (app.dialogs.wave_view.load()) {
        CloseWaveView();
        SetCheckMark(IDM_WAVE_VIEW, false);
        return;
    }
    if (WaveViewStarting()) return;
    // The view reads the stream record on its own thread; a player of that record refuses it.
    if (app.play_kind == kPlayAnalysis || app.play_kind == kPlayCanceler) return;
    std::string path;
    if (ChooseAnalysisWave(app.main_window, path) != 0) return;
    if (app.play_kind == kPlayAnalysis || app.play_kind == kPlayCanceler) return;
    if (!OpenWaveStream(path, stream_source, true)) return;
    SetCheckMark(IDM_WAVE_VIEW, StartWaveView(path));
}

void ToggleAnalysisPlayback() {
    if (app.play_kind == kPlayAnalysis) {
        StopStream();
        app.play_kind = kPlayNothing;
        return;
    }
    if (app.play_kind != kPlayNothing) return;
    // The Wave View reads the stream record on its own thread; opening another file into it
    // would pull the samples from under the view.
    if (app.dialogs.wave_view.load()) return;
    std::string path;
    if (ChooseAnalysisWave(app.main_window, path) != 0) return;
    if (app.playback_open) return;
    StartAnalysisPlay(path);
}
