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

namespace {

// True, after telling the user why, when WAVE 再生 or the canceler's playback holds the stream.
bool RefuseWhileStreamPlays() {
    if (app.play_kind != kPlayAnalysis && app.play_kind != kPlayCanceler) return false;
    MessageBoxW(app.main_window, L"WAVE 再生中は Wave 閲覧を開けません。再生を止めてから開いてください。", L"Wave 閲覧",
                MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace

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
    // The view reads the stream record on its own thread, which a playing file holds.
    if (RefuseWhileStreamPlays()) return;
    std::string path;
    if (ChooseAnalysisWave(app.main_window, path) != 0) return;
    if (RefuseWhileStreamPlays()) return;
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
