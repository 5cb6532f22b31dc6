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
#include "app/text_win.h"
#include "resources/resource_ids.h"

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

void StartRecordingVolumeControl() {
    ShellExecuteW(nullptr, nullptr, L"SNDVOL32.EXE", L"/RECORD", nullptr, SW_SHOWNORMAL);
}

void OpenHelpPage(HWND window) {
    std::string page = app.program_dir + "/TunerHELP/index.html";
    ShellExecuteW(window, L"open", Widen(page).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

}  // namespace

void OnCommand(HWND window, int id) {
    if (id >= IDM_DOWNBEAT_FIRST && id <= IDM_DOWNBEAT_LAST) {
        SetDownbeat(id);
        return;
    }
    if (id >= IDM_KIND_NORMAL && id <= IDM_KIND_SIGNAL) {
        app.metronome_kind = id - IDM_KIND_NORMAL;
        SelectTool(window, WM_APP_GO_METRONOME);
        return;
    }
    switch (id) {
        case IDM_POWER: TogglePower(); break;
        case IDM_PAUSE: TogglePause(); break;
        case IDM_QUIT: SendMessageW(window, WM_DESTROY, 0, 0); break;
        case IDM_SPECTRUM: SelectTool(window, WM_APP_GO_SPECTRUM); break;
        case IDM_TUNER: SelectTool(window, WM_APP_GO_TUNER); break;
        case IDM_METRONOME: SelectTool(window, WM_APP_GO_METRONOME); break;
        case IDM_HALF_SIZE: SetScreenSize(app.current_tool == kToolSpectrum ? 2 : 1); break;
        case IDM_NORMAL_SIZE: SetScreenSize(0); break;
        case IDM_RECORD_VOLUME: StartRecordingVolumeControl(); break;
        case IDM_HELP: OpenHelpPage(window); break;
        default: break;
    }
}
