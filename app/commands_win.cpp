// The command layer of the main window: menu items and toolbar buttons.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/main_window_win.h"
#include "app/menu_marks.h"
#include "app/menu_marks_win.h"
#include "app/power_win.h"
#include "app/program_folder_win.h"
#include "app/text_win.h"
#include "app/toolbar_win.h"
#include "display/images_win.h"
#include "display/spectrum_display_win.h"
#include "display/tuning_dialog_win.h"
#include "melodex/melodex.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/small_dialogs_win.h"
#include "wavetools/tool_windows_win.h"

namespace {

void SelectTool(HWND window, unsigned go_message) {
    PowerOff();
    SendMessageW(window, go_message, 0, 0);
}

void SetScreenSize(int size) {
    app.screen_size = size;
    SizeMainWindow();
    ApplyCheckMarks(SizeMarks(SnapshotOf(app)));
}

void SetDownbeat(int id) {
    int beats = 0;
    int position = 0;
    if (!DownbeatFromCommand(id, beats, position)) return;
    app.downbeat[beats - 2] = position;
    ApplyCheckMarks(DownbeatMarks(SnapshotOf(app)));
}

// The four tuning dialogs share one slot: only one of them is open at a time.
struct TuningCommand {
    int kind;  // as handed to the dialog: 0 guitar, 1 ukulele, 2 bass, 3 shamisen
    int template_id;
    const wchar_t* failure;
};

void OpenTuning(const TuningCommand& command) {
    if (app.dialogs.tuning) return;
    app.tuning_dialog_kind = command.kind;
    app.dialogs.tuning = CreateTuningDialog(command.template_id);
    if (!app.dialogs.tuning) MessageBoxW(app.main_window, command.failure, L"", MB_OK);
}

// Spectrum options apply only while the spectrum analyser is the tool.
void ToggleNoteMode() {
    if (app.current_tool != kToolSpectrum) return;
    app.plot_mode ^= 1;
    ApplyCheckMarks(PlotMarks(SnapshotOf(app)));
    SetToolbarImage(IDM_NOTE_MODE, (app.plot_mode & 1) ? kImageNoteModeOn : kImageNoteModeOff);
    RebuildSpectrumDisplay();
    InvalidateDrawingArea();
}

void ToggleOscilloscope() {
    if (app.current_tool != kToolSpectrum) return;
    app.plot_mode ^= 2;
    ApplyCheckMarks(PlotMarks(SnapshotOf(app)));
    RebuildSpectrumDisplay();
    InvalidateDrawingArea();
}

void StepZoom() {
    if (app.current_tool != kToolSpectrum) return;
    app.zoom_level = app.zoom_level % 3 + 1;
    RebuildSpectrumDisplay();
    InvalidateDrawingArea();
}

void OpenSineWave() {
    if (app.dialogs.sine_wave) return;
    app.dialogs.sine_wave = CreateToneDialog();
    if (app.dialogs.sine_wave) SetToolbarImage(IDM_SINE_WAVE, kImageSineActive);
}

void WavePlay() {
    ToggleAnalysisPlayback();
    ApplyCheckMarks(PlaybackMarks(SnapshotOf(app)));
}

void ToggleMelodex(HWND window) {
    if (GetMelodexStatus() != 0) {
        StopMelodex();
        return;
    }
    SetWindowHandle(window);
    MelodexInitialize();
    StartMelodex();
}

void StartRecordingVolumeControl() {
    ShellExecuteW(nullptr, nullptr, L"SNDVOL32.EXE", L"/RECORD", nullptr, SW_SHOWNORMAL);
}

void OpenHelpPage(HWND window) {
    std::string page = FindDataFile("TunerHELP/index.html");
    ShellExecuteW(window, L"open", Widen(page).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

}  // namespace

void OnCommand(HWND window, int id) {
    if (id >= IDM_DOWNBEAT_FIRST && id <= IDM_DOWNBEAT_LAST) {
        SetDownbeat(id);
        return;
    }
    if (id >= IDM_KIND_NORMAL && id <= IDM_KIND_SIGNAL) {
        RunToolSequence(ChooseKindSequence(app, id - IDM_KIND_NORMAL));
        return;
    }
    switch (id) {
        case IDM_POWER: TogglePower(); break;
        case IDM_PAUSE: TogglePause(); break;
        case IDM_QUIT: SendMessageW(window, WM_DESTROY, 0, 0); break;
        case IDM_SPECTRUM: SelectTool(window, WM_APP_GO_SPECTRUM); break;
        case IDM_TUNER: SelectTool(window, WM_APP_GO_TUNER); break;
        case IDM_METRONOME: SelectTool(window, WM_APP_GO_METRONOME); break;
        case IDM_CONFIG: OpenConfigDialog(); break;
        case IDM_GUITAR_TUNING: OpenTuning({0, IDD_GUITAR_TUNING, L"Guitar Tuning Dialog create error"}); break;
        case IDM_BASS_TUNING: OpenTuning({2, IDD_BASS_TUNING, L"Bass Tuning ダイアログ生成エラー"}); break;
        case IDM_UKULELE_TUNING: OpenTuning({1, IDD_UKULELE_TUNING, L"Ukulele Tuning 生成エラー"}); break;
        case IDM_SHAMISEN_TUNING: OpenTuning({3, IDD_SHAMISEN_TUNING, L"Shamisen Tuning ダイアログ生成エラー"}); break;
        case IDM_SOUND_TRACKING: ToggleMelodex(window); break;
        case IDM_NOTE_MODE: ToggleNoteMode(); break;
        case IDM_OSCILLOSCOPE: ToggleOscilloscope(); break;
        case IDM_ZOOM: StepZoom(); break;
        case IDM_PLAY_VOLUME: OpenPlayVolumeDialog(); break;
        case IDM_WAVE_PLAY: WavePlay(); break;
        case IDM_WAVE_PLAY_LOG: ChooseLogFile(window, app.log_file); break;
        case IDM_WAVE_VIEW: ToggleWaveView(); break;
        case IDM_VOCAL_CANCEL_SIMPLE: app.dialogs.vocal_canceler = CreateVocalCancelerDialog(); break;
        case IDM_SINE_WAVE: OpenSineWave(); break;
        case IDM_ABOUT: OpenAboutDialog(); break;
        case IDM_HALF_SIZE: SetScreenSize(app.current_tool == kToolSpectrum ? 2 : 1); break;
        case IDM_NORMAL_SIZE: SetScreenSize(0); break;
        case IDM_RECORD_VOLUME: StartRecordingVolumeControl(); break;
        case IDM_HELP: OpenHelpPage(window); break;
        default: break;
    }
}
