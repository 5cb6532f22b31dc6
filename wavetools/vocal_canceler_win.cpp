// The vocal-canceler dialog: paths, mode and search settings, the Make worker thread and the
// playing of the Original, Inst and Output files with transport buttons.
#include "wavetools/vocal_canceler_win.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/debug_log.h"
#include "app/dialog_win.h"
#include "app/text_win.h"
#include "app/worker.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/thread_lanes.h"
#include "wavetools/playback_win.h"
#include "wavetools/vocal_canceler.h"
#include "wavetools/wave_file.h"

namespace {

enum PlayedFile { kPlayedNone = 0, kPlayedOriginal = 1, kPlayedInst = 2, kPlayedOutput = 3 };

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressIntervalMs = 50;  // the dialog shows the worker's progress this often
constexpr int kStopWaitMs = 2000;         // closing or quitting waits this long for the worker

// The run state word (CancelerRunState), shared with the worker thread.
std::atomic<int> canceler_state{kCancelerIdle};
// The open dialog, to which the worker posts its end; null while closed.
std::atomic<HWND> canceler_dialog{nullptr};
// Which file the dialog plays (GUI thread only).
int canceler_playing = kPlayedNone;
// The search settings of this session; the mode is kept in the application state.
CancelerSettings search_settings;

// What the worker reports, kept for the dialog to show on its timer.
struct SharedProgress {
    std::atomic<int> work{0};
    std::atomic<int> search_percent{0};
    std::atomic<std::uint64_t> position{0};  // offset << 32 | score, of the offset scored last
    std::atomic<std::uint64_t> best{0};      // the same of the best offset; score 0: none yet
    std::atomic<bool> searching{false};      // a search status has arrived
};
SharedProgress progress;

std::uint64_t Packed(std::uint32_t offset, int score) {
    return std::uint64_t{offset} << 32 | static_cast<std::uint32_t>(score);
}

// One run: the job, and the failure the dialog shows once the worker has ended. The GUI thread
// creates it and frees it after joining the worker; it exists exactly while a worker is unjoined.
struct WorkerRun {
    CancelerJob job;
    std::string message;
    std::string caption;
    std::uint32_t rate = 0;  // the Inst's format, for the search display
    std::uint32_t frame_bytes = 0;
};
WorkerRun* current_run = nullptr;

// Never destroyed: a worker stuck in a read past the 2 s that quitting waits must not hold up the
// program's exit in a destructor's join; the process ends it.
Worker& CancelerThread() {
    static Worker* thread = new Worker;
    return *thread;
}

// The worker's view: it only stores values; the dialog reads them on its timer.
class SharedView : public CancelerView {
public:
    explicit SharedView(WorkerRun& run) : run_(run) {}
    void WorkProgress(int percent) override { progress.work = percent; }
    void SearchProgress(const SearchStatus& status) override {
        progress.search_percent = status.percent;
        progress.position = Packed(status.offset, status.score);
        progress.best = Packed(status.best_offset, status.best_score);
        progress.searching = true;
    }
    void Message(const std::string& text, const std::string& caption) override {
        run_.message = text;
        run_.caption = caption;
    }
    void Debug(const std::string& line) override { DebugLine(line.c_str()); }

private:
    WorkerRun& run_;
};

void RunWorker(WorkerRun* run) {
    SharedView view(*run);
    ThreadLanes lanes;
    const auto started = std::chrono::steady_clock::now();
    const int result = RunCanceler(run->job, view, canceler_state, lanes);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    DebugLineF("CancelerMake=%d %ld ms\r\n", result, static_cast<long>(ms.count()));
    canceler_state = kCancelerIdle;
    if (HWND dialog = canceler_dialog.load()) PostMessageW(dialog, WM_APP_CANCELER_DONE, 0, 0);
}

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

void SetTextIfChanged(HWND dialog, int id, const std::string& text) {
    if (DialogText(dialog, id) != text) SetDialogText(dialog, id, text);
}

void ShowMakeButton(HWND dialog) {
    SetTextIfChanged(dialog, IDC_CANCELER_MAKE, MakeButtonLabel(canceler_state.load(), current_run != nullptr));
}

// Shows what the worker reported since the last tick.
void ShowProgress(HWND dialog) {
    SendItem(dialog, IDC_CANCELER_WORK_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(progress.work.load()), 0);
    ShowMakeButton(dialog);
    if (!current_run || !progress.searching.load()) return;
    SendItem(dialog, IDC_CANCELER_SEARCH_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(progress.search_percent.load()), 0);
    const std::uint64_t position = progress.position.load();
    const std::uint32_t rate = current_run->rate, frame = current_run->frame_bytes;
    SetTextIfChanged(dialog, IDC_CANCELER_POSITION,
                     SearchPositionText(static_cast<std::uint32_t>(position >> 32),
                                        static_cast<int>(position & 0xFFFFFFFFu), rate, frame));
    const std::uint64_t best = progress.best.load();
    const int bestScore = static_cast<int>(best & 0xFFFFFFFFu);
    if (bestScore == 0) return;
    const auto texts = BestFoundTexts(static_cast<std::uint32_t>(best >> 32), bestScore, rate, frame);
    SetTextIfChanged(dialog, IDC_CANCELER_BEST_SECONDS, texts[0]);
    SetTextIfChanged(dialog, IDC_CANCELER_BEST_SCORE, texts[1]);
    SetTextIfChanged(dialog, IDC_CANCELER_BEST_REMAINDER, texts[2]);
}

// Waits up to 2 s for the worker; true once it has ended and its thread is joined.
bool JoinWorker() {
    return CancelerThread().Join(std::chrono::milliseconds(kStopWaitMs));
}

void OnWorkerDone(HWND dialog) {
    if (!JoinWorker()) return;
    KillTimer(dialog, kProgressTimer);
    ShowProgress(dialog);
    std::string message, caption;
    if (current_run) {
        message = current_run->message;
        caption = current_run->caption;
    }
    delete current_run;
    current_run = nullptr;
    SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"Make");
    if (!message.empty()) MessageBoxW(dialog, Widen(message).c_str(), Widen(caption).c_str(), MB_OK);
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
    canceler_dialog = dialog;
    // A worker still ending from an earlier dialog: show where it stands until it is done.
    if (current_run) {
        ShowProgress(dialog);
        SetTimer(dialog, kProgressTimer, kProgressIntervalMs, nullptr);
    }
}

void ReportRefusal(HWND dialog, int ready) {
    if (ready == kCancelerBadInput) MessageBoxW(dialog, L"File error", L"error", MB_OK);
    if (ready == kCancelerOutputIsInput) {
        MessageBoxW(dialog, Widen(kOutputIsInputError).c_str(), Widen(kCancelerErrorCaption).c_str(), MB_OK);
    }
}

void StartWorker(HWND dialog, WorkerRun* run) {
    ResetProgress(dialog, IDC_CANCELER_WORK_PROGRESS);
    ResetProgress(dialog, IDC_CANCELER_SEARCH_PROGRESS);
    progress.work = 0;
    progress.search_percent = 0;
    progress.searching = false;
    // The word holds its running value before the worker first reads it.
    canceler_state = kCancelerRunning;
    current_run = run;
    if (!CancelerThread().Start([run](Worker&) { RunWorker(run); })) {
        canceler_state = kCancelerIdle;
        current_run = nullptr;
        ReleaseCancelerJob(run->job);
        delete run;
        SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"Make");
        return;
    }
    SetDlgItemTextW(dialog, IDC_CANCELER_MAKE, L"RUN");
    SetTimer(dialog, kProgressTimer, kProgressIntervalMs, nullptr);
}

void OnMake(HWND dialog) {
    if (current_run) {
        // Only one worker at a time: while one runs the button asks it to stop. A worker that has
        // just ended keeps its idle word; its end message resets the button.
        AskCancelerStop(canceler_state);
        ShowMakeButton(dialog);
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
    auto* run = new WorkerRun;
    const int ready =
        PrepareCancelerJob(app.karaoke_input1, app.karaoke_input2, app.karaoke_output, settings, run->job);
    if (ready != kCancelerReady) {
        delete run;
        ReportRefusal(dialog, ready);
        return;
    }
    run->rate = static_cast<std::uint32_t>(run->job.inst.sampleRate);
    run->frame_bytes = static_cast<std::uint32_t>(run->job.inst.channels * run->job.inst.bitsPerSample / 8);
    if (settings.mode == kCancelWithInst && settings.ignore) {
        search_settings.original_point_ms = 0;
        search_settings.inst_delay_ms = 0;
        ShowSearchSettings(dialog);
    }
    StartWorker(dialog, run);
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
            StopCancelerWorker();
            KillTimer(dialog, kProgressTimer);
            canceler_dialog = nullptr;
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
        case WM_TIMER:
            if (wparam != kProgressTimer) return FALSE;
            if (current_run && !CancelerThread().Running()) {
                OnWorkerDone(dialog);  // the end message went to an earlier dialog
            } else {
                ShowProgress(dialog);
            }
            return TRUE;
        case WM_APP_CANCELER_DONE: OnWorkerDone(dialog); return TRUE;
    }
    return FALSE;
}

}  // namespace

void StopCancelerWorker() {
    if (!current_run) return;
    // Whatever the worker is doing, it ends without an output file.
    AbortCanceler(canceler_state);
    CancelerThread().RequestStop();
    if (!JoinWorker()) return;  // still stuck: it keeps its run record
    delete current_run;
    current_run = nullptr;
}

HWND OpenVocalCancelerDialog() {
    if (app.dialogs.vocal_canceler && IsWindow(app.dialogs.vocal_canceler)) {
        SetForegroundWindow(app.dialogs.vocal_canceler);
        return app.dialogs.vocal_canceler;
    }
    return CreateOwnedDialog(IDD_VOCAL_CANCELER, CancelerDialogProc);
}
