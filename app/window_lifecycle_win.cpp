// Creation and destruction sequences of the main window.
#include <windows.h>
#include <shellapi.h>

#include "app/debug_log.h"
#include "app/main_window_win.h"
#include "app/menu_marks.h"
#include "app/menu_marks_win.h"
#include "app/profile_store_win.h"
#include "app/settings.h"
#include "app/toolbar_win.h"
#include "audio/analysis_tables.h"
#include "audio/capture_win.h"
#include "display/images_win.h"
#include "display/metronome_engine_win.h"
#include "display/spectrum_display_win.h"
#include "display/tick_timer_win.h"
#include "resources/resource_ids.h"
#include "wavetools/playback_win.h"
#include "wavetools/vocal_canceler_win.h"
#include "wavetools/wave_view_win.h"

namespace {

// The destruction sequence runs once, however many WM_DESTROY messages arrive (the Quit command
// sends one itself, and the system sends another when the window finally goes).
bool destroyed = false;

void SaveStartupVolume(HWND window) {
    if (app.playback_open) return;
    if (OpenSharedDevice(window) != 0) return;
    app.saved_play_volume = DeviceVolume();
    app.play_volume = app.saved_play_volume;
    CloseDevice();
}

void RestoreStartupVolume(HWND window) {
    if (app.playback_open) return;
    DebugLine("Destroy 5\r\n");
    if (OpenSharedDevice(window) != 0) return;
    if (app.saved_play_volume != 0) SetPlayVolume(app.saved_play_volume);
    CloseDevice();
    DebugLine("Destroy 6\r\n");
}

void ReadSettingsFile() {
    std::string dir = CurrentDirectoryUtf8();
    FileProfileStore store(SettingsPathFor(dir));
    ReadSettings(app, store, dir);
}

void WriteSettingsFile() {
    FileProfileStore store(app.settings_path);
    WriteSettings(app, store);
}

void CreateDisplayForCurrentTool() {
    if (app.current_tool == kToolSpectrum) {
        CreateSpectrumResources(app.window_dc);
        return;
    }
    CreateBackBuffer();
    LoadAllImages();
}

// The beat worker plays the click sounds and the Wave View's thread reads the stream record: both end
// before anything is freed (the canceler's worker is ended with the capture, below).
void StopWorkers() {
    StopMetronome();
    CloseWaveView();
}

bool VolumeControlFound() {
    wchar_t found[MAX_PATH] = {};
    return reinterpret_cast<INT_PTR>(FindExecutableW(L"SNDVOL32.EXE", nullptr, found)) > 32;
}

}  // namespace

LRESULT OnCreate(HWND window) {
    app.main_window = window;
    SaveStartupVolume(window);
    ClearImageTables();
    app.main_menu = GetMenu(window);
    app.window_dc = GetDC(window);
    ReadSettingsFile();
    ApplyCheckMarks(DownbeatMarks(SnapshotOf(app)));
    BuildAnalysisTables();
    BuildSpectrumColours(app.palette_no);
    app.metronome_sounds_ready = LoadClickSounds() ? 1 : 0;
    CreateMainToolbar(window);
    ReadFrameMetrics(window);
    SizeMainWindow();
    CreateDisplayForCurrentTool();
    if (app.current_tool == kToolMetronome) ResetMetronomeScreen();
    if (app.current_tool == kToolTuner) app.tuner_needle = -50;
    StartTickTimer(window);

    MenuSnapshot snapshot = SnapshotOf(app);
    ApplyCheckMarks(SizeMarks(snapshot));
    ApplyCheckMarks(ToolMarks(snapshot));
    ApplyCheckMarks(MetronomeKindMarks(snapshot, KindForm::kToolDependent));
    ApplyCheckMarks(PlotMarks(snapshot));

    AllocateCaptureFrame();
    EnableMenuItem(app.main_menu, IDM_RECORD_VOLUME, MF_BYCOMMAND | (VolumeControlFound() ? MF_ENABLED : MF_GRAYED));
    ApplyGrayed(GrayedItems(app.launch_mode));
    return 0;
}

void OnDestroy(HWND window) {
    if (destroyed) return;
    destroyed = true;

    StopWorkers();
    DebugLine("Destroy 1\r\n");
    StopCancelerWorker();
    if (app.capture_running) StopCapture();
    StopTickTimer();
    // The Wave View's thread is joined before anything it reads goes away.
    CloseWaveView();
    DebugLine("Destroy 2\r\n");
    FreeClickSounds();
    DebugLine("Destroy 3\r\n");
    WriteSettingsFile();
    DebugLine("Destroy 4\r\n");
    FreeSpectrumPicture();
    FreeCaptureFrame();
    ReleaseSpectrumResources();
    ReleaseBackBuffer();
    ReleaseImages();
    RestoreStartupVolume(window);
    if (app.window_dc) ReleaseDC(window, app.window_dc);
    app.window_dc = nullptr;
    PostQuitMessage(0);
}
