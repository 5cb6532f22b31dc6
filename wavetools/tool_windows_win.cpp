// WAV tools opened from the main menu: the test-tone dialog and WAVE analysis playback here; the
// vocal canceler and the Wave View each arrive with their own feature.
#include "wavetools/tool_windows_win.h"

#include <string>

#include "app/app_state.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/playback_win.h"
#include "wavetools/tone_dialog_win.h"

HWND CreateToneDialog() {
    return OpenToneDialog();
}
HWND CreateVocalCancelerDialog() {
    return nullptr;
}
void ToggleWaveView() {}

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
