// The main window procedure: a thin dispatcher into the handlers of each feature.
#include "app/main_window_win.h"

#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/menu_marks_win.h"
#include "app/pointer_win.h"
#include "app/toolbar_win.h"
#include "audio/capture_win.h"
#include "display/metronome_engine_win.h"
#include "display/tick_timer_win.h"
#include "melodex/melodex.h"
#include "resources/resource_ids.h"
#include "wavetools/playback_win.h"

namespace {

const wchar_t* const kClassNames[] = {L"Zindle_Tuner_Spectrum", L"ZindleSPECTRUM", L"ZindleTUNER", L"ZindleMETRONOME"};

// The window is sized only by the program: sizing and maximizing are refused however they are asked
// for, and the frame doesn't offer a resize cursor.
bool IsRefusedSystemCommand(WPARAM command) {
    UINT code = static_cast<UINT>(command & 0xFFF0);
    return code == SC_SIZE || code == SC_MAXIMIZE;
}

LRESULT FrameHitTest(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT hit = DefWindowProcW(window, message, wparam, lparam);
    return (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) ? HTBORDER : hit;
}

LRESULT OnPlayDone(LPARAM header) {
    if (!app.playback_open) return 0;
    app.refill_busy = 1;
    RefillBuffer(PlaySourceFor(app.play_kind), header);
    app.refill_busy = 0;
    return 0;
}

}  // namespace

const wchar_t* MainWindowClassName(int launch_mode) {
    return (launch_mode >= 0 && launch_mode <= 2) ? kClassNames[launch_mode + 1] : kClassNames[0];
}

bool RegisterMainWindowClass(HINSTANCE instance, int launch_mode) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_HARMOLAB));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_HARMOLAB), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    wc.lpszClassName = MainWindowClassName(launch_mode);
    return RegisterClassExW(&wc) != 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window);
        case WM_DESTROY: OnDestroy(window); return 0;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_NOTIFY: return OnToolbarNotify(lparam);
        case WM_COMMAND: OnCommand(window, LOWORD(wparam)); break;
        case WM_SYSCOMMAND:
            if (IsRefusedSystemCommand(wparam)) return 0;
            break;
        case WM_LBUTTONDOWN: return OnLeftButtonDown(window);
        case WM_LBUTTONUP: return OnLeftButtonUp(window);
        case WM_MOUSEMOVE: return OnMouseMove(window, wparam);
        case WM_CAPTURECHANGED: return OnCaptureChanged();
        case WM_NCHITTEST: return FrameHitTest(window, message, wparam, lparam);
        case WM_DPICHANGED: OnDpiChanged(window); return 0;
        case WM_APP_CAPTURE_DATA: OnCaptureData(window, lparam); return 0;
        case WM_APP_PLAY_DONE: return OnPlayDone(lparam);
        case WM_APP_GO_SPECTRUM: OnGoTool(kToolSpectrum); return 0;
        case WM_APP_GO_TUNER: OnGoTool(kToolTuner); return 0;
        case WM_APP_GO_METRONOME: OnGoTool(kToolMetronome); return 0;
        case WM_APP_WAVE_PLAY_END: SetCheckMark(IDM_WAVE_PLAY, false); return 0;
        case WM_APP_MELODEX_DATA: MelodexProc(lparam, 0); return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}
