// The vocal-canceler dialog: paths, mode and search settings, the Make worker thread and the
// playing of the Original, Inst and Output files with transport buttons.
#include "wavetools/vocal_canceler_win.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/debug_log.h"
#include "app/dialog_win.h"
#include "app/text_win.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/playback_win.h"
#include "wavetools/vocal_canceler.h"
#include "wavetools/wave_file.h"

namespace {

enum PlayedFile { kPlayedNone = 0, kPlayedOriginal = 1, kPlayedInst = 2, kPlayedOutput = 3 };

// The run state word: 0 idle, 1 running, -1 asked to stop. Shared with the worker thread.
std::atomic<int> canceler_worker{0};
// Which file the dialog plays (GUI thread only).
int canceler_playing = kPlayedNone;
// The search settings of this session; the mode is kept in the application state.
CancelerSettings search_settings;

LRESULT SendItem(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageW(dialog, id, message, wparam, lparam);
}

void ResetProgress(HWND dialog, int id) {
    SendItem(dialog, id, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendItem(dialog, id, PBM_SETSTEP, 1, 0);
    SendItem(dialog, id, PBM_SETPOS, 0, 0);
}

int SignedNumber(HWND dialog, int id) {
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &ok, TRUE));
    return ok ? value : 0;
}

int CheckedMode(HWND dialog) {
    for (int mode = kCancelKaraoke; mode <= kCancelGetVocal; ++mode) {
        if (IsDlgButtonChecked(dialog, IDC_CANCELER_KARAOKE + mode) == BST_CHECKED) return mode;
    }
    return kCancelKaraoke;
}

// The worker's view: synchronous messages to the dialog's controls.
class DialogView : public CancelerView {
public:
    explicit DialogView(HWND dialog) : dialog_(dialog) {}
    void ResetWorkProgress() override { ResetProgress(dialog_, IDC_CANCELER_WORK_PROGRESS); }
    void WorkProgress(int percent) override { SendItem(dialog_, IDC_CANCELER_WORK_PROGRESS, PBM_SETPOS, percent, 0); }
    void ResetSearchProgress() override { ResetProgress(dialog_, IDC_CANCELER_SEARCH_PROGRESS); }
    void SearchProgress(int value) override { SendItem(dialog_, IDC_CANCELER_SEARCH_PROGRESS, PBM_SETPOS, value, 0); }
    void SearchPosition(const std::string& text) override { SetDialogText(dialog_, IDC_CANCELER_POSITION, text); }
    void BestFound(const std::string& seconds, const std::string& score, const std::string& remainder) override {
        SetDialogText(dialog_, IDC_CANCELER_BEST_SECONDS, seconds);
        SetDialogText(dialog_, IDC_CANCELER_BEST_SCORE, score);
        SetDialogText(dialog_, IDC_CANCELER_BEST_REMAINDER, remainder);
    }
    void Message(const std::string& text, const std::string& caption) override {
        HWND owner = IsWindow(dialog_) ? dialog_ : nullptr;
        MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
    }
    void Debug(const std::string& line) override { DebugLine(line.c_str()); }

private:
    HWND dialog_;
};

struct WorkerStart {
    CancelerJob job;
    HWND dialog = nullptr;
};

DWORD WINAPI CancelerWorkerMain(LPVOID parameter) {
    auto* start = static_cast<WorkerStart*>(parameter);
    DialogView view(start->dialog);
    RunCanceler(start->job, view, canceler_worker);
    HWND dialog = start->dialog;
    delete start;
    canceler_worker = 0;
    if (IsWindow(dialog)) SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"Make");
    return 0;
}

void ShowSearchSettings(HWND dialog) {
    SetDlgItemInt(dialog, IDC_CANCELER_RANGE, static_cast<UINT>(search_settings.range_ms), TRUE);
    CheckDlgButton(dialog, IDC_CANCELER_IGNORE, search_settings.ignore ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, IDC_CANCELER_ORIGINAL_POINT, static_cast<UINT>(search_settings.original_point_ms), TRUE);
    SetDlgItemInt(dialog, IDC_CANCELER_INST_DELAY, static_cast<UINT>(search_settings.inst_delay_ms), TRUE);
}

void ReadSearchSettings(HWND dialog) {
    search_settings.range_ms = SignedNumber(dialog, IDC_CANCELER_RANGE);
    search_settings.ignore = IsDlgButtonChecked(dialog, IDC_CANCELER_IGNORE) == BST_CHECKED;
    search_settings.original_point_ms = SignedNumber(dialog, IDC_CANCELER_ORIGINAL_POINT);
    search_settings.inst_delay_ms = SignedNumber(dialog, IDC_CANCELER_INST_DELAY);
    app.karaoke_make_kind = CheckedMode(dialog);
}

void ReadPaths(HWND dialog) {
    app.karaoke_input1 = DialogText(dialog, IDC_CANCELER_ORIGINAL);
    app.karaoke_input2 = DialogText(dialog, IDC_CANCELER_INST);
    app.karaoke_output = DialogText(dialog, IDC_CANCELER_OUTPUT);
}

void InitCancelerDialog(HWND dialog) {
    SetDialogText(dialog, IDC_CANCELER_ORIGINAL, app.karaoke_input1);
    SetDialogText(dialog, IDC_CANCELER_INST, app.karaoke_input2);
    SetDialogText(dialog, IDC_CANCELER_OUTPUT, app.karaoke_output);
    const int mode =
        std::clamp(app.karaoke_make_kind, static_cast<int>(kCancelKaraoke), static_cast<int>(kCancelGetVocal));
    CheckRadioButton(dialog, IDC_CANCELER_KARAOKE, IDC_CANCELER_GET_VOCAL, IDC_CANCELER_KARAOKE + mode);
    ShowSearchSettings(dialog);
    ResetProgress(dialog, IDC_CANCELER_WORK_PROGRESS);
    ResetProgress(dialog, IDC_CANCELER_SEARCH_PROGRESS);
    ResetProgress(dialog, IDC_CANCELER_PLAY_POSITION);
    if (canceler_worker.load() != 0) SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"RUN");
}

void OnMake(HWND dialog) {
    if (canceler_worker.load() != 0) {
        // Only one worker at a time: while one runs the button asks it to stop.
        canceler_worker = -1;
        Sleep(500);
        SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"MAKE");
        return;
    }
    ReadPaths(dialog);
    ReadSearchSettings(dialog);
    if (app.karaoke_output.empty()) {
        MessageBoxW(dialog, L"Write File not exist!", L"error", MB_OK);
        return;
    }
    CancelerSettings settings = search_settings;
    settings.mode = app.karaoke_make_kind;
    auto* start = new WorkerStart;
    start->dialog = dialog;
    const int ready =
        PrepareCancelerJob(app.karaoke_input1, app.karaoke_input2, app.karaoke_output, settings, start->job);
    if (ready != 0) {
        delete start;
        if (ready == 1) MessageBoxW(dialog, L"File error", L"error", MB_OK);
        return;
    }
    if (settings.mode == kCancelWithInst && settings.ignore) {
        search_settings.original_point_ms = 0;
        search_settings.inst_delay_ms = 0;
        ShowSearchSettings(dialog);
    }
    SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"RUN");
    ResetProgress(dialog, IDC_CANCELER_WORK_PROGRESS);
    // The word holds its running value before the worker first reads it.
    canceler_worker = 1;
    HANDLE thread = CreateThread(nullptr, 0, CancelerWorkerMain, start, 0, nullptr);
    if (!thread) {
        canceler_worker = 0;
        ReleaseCancelerJob(start->job);
        delete start;
        SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"Make");
        return;
    }
    CloseHandle(thread);
}

void ShowAllPlayButtons(HWND dialog) {
    SetDlgItemTextW(dialog, IDC_CANCELER_PLAY_ORIGINAL, L"PLAY");
    SetDlgItemTextW(dialog, IDC_CANCELER_PLAY_INST, L"PLAY");
    SetDlgItemTextW(dialog, IDC_CANCELER_PLAY_OUTPUT, L"PLAY");
}

void StopPlaying() {
    if (canceler_playing == kPlayedNone) return;
    if (app.play_kind == kPlayCanceler) {
        StopStream();
        app.play_kind = kPlayNothing;
    }
    canceler_playing = kPlayedNone;
}

void OnPlay(HWND dialog, int which, int button, int edit, std::string& path) {
    if (canceler_playing != kPlayedNone && canceler_playing != which) return;
    if (!app.playback_open) {
        // The device may be closed while another player still holds the stream record.
        if (app.play_kind != kPlayNothing || app.dialogs.wave_view.load()) return;
        path = DialogText(dialog, edit);
        if (!OpenWaveStream(path, stream_source, false)) return;
        if (app.playback_open) return;
        if (OpenSourceDevice(stream_source, dialog) != 0) {
            MessageBoxW(dialog, L"Cannot open playing device", nullptr, MB_OK);
            return;
        }
        app.play_kind = kPlayCanceler;
        canceler_playing = which;
        if (StartBuffers(stream_source) == 0) {
            app.play_kind = kPlayNothing;
            canceler_playing = kPlayedNone;
            return;
        }
        SetDlgItemTextW(dialog, button, L"STOP");
    } else if (canceler_playing == which) {
        StopPlaying();
        SetDlgItemTextW(dialog, button, L"PLAY");
    }
}

void OnTransport(HWND dialog, int direction, int ms) {
    if (app.refill_busy || canceler_playing == kPlayedNone || app.play_kind != kPlayCanceler) return;
    if (SeekStream(direction, ms)) return;
    // Past the end, or the file could not be read: the play is over.
    CloseDevice();
    ReleaseSourceBuffer(stream_source);
    CloseSourceFile(stream_source);
    app.play_kind = kPlayNothing;
    canceler_playing = kPlayedNone;
    ShowAllPlayButtons(dialog);
}

void OnPlayDone(LPARAM header) {
    if (!app.playback_open || app.refill_busy) return;
    app.refill_busy = 1;
    RefillBuffer(stream_source, header);
    app.refill_busy = 0;
}

void OnBrowse(HWND dialog, bool save, int edit, std::string& path) {
    if (ChooseCancelerFile(dialog, save, path) != 0) return;
    SetDialogText(dialog, edit, path);
}

void OnOk(HWND dialog) {
    ReadPaths(dialog);
    StopPlaying();
    ReadSearchSettings(dialog);
    DestroyWindow(dialog);
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDC_CANCELER_MAKE: OnMake(dialog); break;
        case IDC_CANCELER_ORIGINAL_BROWSE: OnBrowse(dialog, false, IDC_CANCELER_ORIGINAL, app.karaoke_input1); break;
        case IDC_CANCELER_INST_BROWSE: OnBrowse(dialog, false, IDC_CANCELER_INST, app.karaoke_input2); break;
        case IDC_CANCELER_OUTPUT_BROWSE: OnBrowse(dialog, true, IDC_CANCELER_OUTPUT, app.karaoke_output); break;
        case IDC_CANCELER_PLAY_ORIGINAL:
            OnPlay(dialog, kPlayedOriginal, id, IDC_CANCELER_ORIGINAL, app.karaoke_input1);
            break;
        case IDC_CANCELER_PLAY_INST: OnPlay(dialog, kPlayedInst, id, IDC_CANCELER_INST, app.karaoke_input2); break;
        case IDC_CANCELER_PLAY_OUTPUT:
            OnPlay(dialog, kPlayedOutput, id, IDC_CANCELER_OUTPUT, app.karaoke_output);
            break;
        case IDC_CANCELER_RESTART: OnTransport(dialog, 0, 0); break;
        case IDC_CANCELER_BACK_10S: OnTransport(dialog, -1, 10000); break;
        case IDC_CANCELER_BACK_3S: OnTransport(dialog, -1, 3000); break;
        case IDC_CANCELER_FORWARD_3S: OnTransport(dialog, 1, 3000); break;
        case IDC_CANCELER_FORWARD_10S: OnTransport(dialog, 1, 10000); break;
        case IDOK:
        case IDCANCEL: OnOk(dialog); break;
    }
}

INT_PTR CALLBACK CancelerDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: InitCancelerDialog(dialog); return TRUE;
        case WM_DESTROY:
            // A play left running would post its buffers to a window that is gone.
            StopPlaying();
            if (app.dialogs.vocal_canceler == dialog) app.dialogs.vocal_canceler = nullptr;
            return TRUE;
        case WM_APP_PLAY_DONE:
            // Shares its number with DM_SETDEFID, which always names a control.
            if (wparam != 0) return FALSE;
            OnPlayDone(lparam);
            return TRUE;
        case WM_APP_CANCELER_PLAY_END:
            if (wparam != 0 || lparam != 0) return FALSE;
            ShowAllPlayButtons(dialog);
            canceler_playing = kPlayedNone;
            app.play_kind = kPlayNothing;
            return TRUE;
        case WM_COMMAND: OnCommand(dialog, LOWORD(wparam)); return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND OpenVocalCancelerDialog() {
    if (app.dialogs.vocal_canceler && IsWindow(app.dialogs.vocal_canceler)) {
        SetForegroundWindow(app.dialogs.vocal_canceler);
        return app.dialogs.vocal_canceler;
    }
    return CreateOwnedDialog(IDD_VOCAL_CANCELER, CancelerDialogProc);
}
