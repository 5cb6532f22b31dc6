// The Wave View window, its thread and message loop, painting, buttons, keys, menu and the
// time-jump dialog.
#include "wavetools/wave_view_win.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/gdi_win.h"
#include "app/dialog_win.h"
#include "app/menu_marks_win.h"
#include "app/text_win.h"
#include "app/worker.h"
#include "resources/resource_ids.h"
#include "wavetools/file_choosers_win.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_source.h"
#include "wavetools/wave_view.h"

namespace {

constexpr wchar_t kClassName[] = L"WaveView";
constexpr std::chrono::milliseconds kCloseWait{3000};

// The view's thread: its own message loop, ended by closing the window.
Worker view_thread;

// The view's state. Only the Wave View thread touches it, and only one view exists at a time.
struct ViewState {
    WaveView view;
    WaveViewFile file;
    FileDuration length;
    FileDuration now;
    std::string path;
    std::uint32_t loaded = 0;  // bytes of the current screen in the stream buffer
    HBITMAP backing = nullptr;
    std::array<HWND, 8> buttons{};
    bool rightHeld = false;
    bool leftHeld = false;
    bool reloading = false;
    HWND jumpDialog = nullptr;
};
ViewState state;

WaveViewFile FileOfStream() {
    WaveViewFile file;
    file.rate = stream_source.sampleRate;
    file.channels = stream_source.channels;
    file.bits = stream_source.bitsPerSample;
    file.dataOffset = stream_source.dataOffset;
    file.dataBytes = stream_source.totalBytes;
    return file;
}

void SetTitle(HWND window) {
    SetWindowTextW(window, Widen(WaveViewTitle(state.path)).c_str());
}

// Reads the screen that starts at viewPos into the stream buffer and asks for a repaint.
void LoadScreen(HWND window) {
    state.loaded = 0;
    if (stream_source.buffer) {
        const std::uint32_t wanted = std::min(WindowBytes(state.view, state.file), stream_source.bufferBytes);
        state.loaded = ReadWaveAt(stream_source, stream_source.viewPos, stream_source.buffer, wanted);
    }
    state.now = TimeAt(state.file, stream_source.viewPos);
    InvalidateRect(window, nullptr, FALSE);
}

void CreateButtons(HWND window, HINSTANCE instance) {
    const int h = state.view.screenH;
    for (std::size_t i = 0; i < kWaveViewButtons.size(); ++i) {
        const ButtonCaption& button = kWaveViewButtons[i];
        int x = 0;
        int y = h / 2 - 15;
        if (button.id == IDC_WAVE_VIEW_FIRST) y = h / 2 - 35;
        if (button.id == IDC_WAVE_VIEW_LAST) {
            x = state.view.screenW - 20;
            y = h / 2 - 35;
        }
        state.buttons[i] =
            CreateWindowExW(0, L"BUTTON", Widen(button.text).c_str(), WS_CHILD | WS_VISIBLE, x, y, 20, 20, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), instance, nullptr);
    }
}

void OnCreate(HWND window, const CREATESTRUCTW* create) {
    app.dialogs.wave_view = window;
    state = ViewState();
    state.path = *static_cast<const std::string*>(create->lpCreateParams);
    if (!stream_source.buffer && !AllocateSourceBuffer(stream_source, StreamBufferBytes)) {
        MessageBoxW(window, L"Memory allocate error", L"error", MB_OK);
        return;
    }
    state.view = MakeWaveView(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYMENU),
                              GetSystemMetrics(SM_CYCAPTION));
    state.file = FileOfStream();
    state.length = SplitMilliseconds(file_duration);
    HDC dc = GetDC(window);
    state.backing = CreateCompatibleBitmap(dc, std::max(1, state.view.screenW), std::max(1, state.view.screenH));
    ReleaseDC(window, dc);
    LoadScreen(window);
    CreateButtons(window, create->hInstance);
    SetTitle(window);
}

void DrawText(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void DrawTrace(HDC dc, int channel) {
    const std::vector<TracePoint> trace =
        TracePoints(state.view, state.file, stream_source.buffer, state.loaded, channel);
    if (trace.size() < 2) return;
    std::vector<POINT> points(trace.size());
    for (std::size_t i = 0; i < trace.size(); ++i) points[i] = {trace[i].x, trace[i].y};
    Polyline(dc, points.data(), static_cast<int>(points.size()));
}

void DrawScreen(HDC dc) {
    const int w = state.view.screenW;
    const int h = state.view.screenH;
    const SolidPen black(RGB(0, 0, 0));
    const SolidPen red(RGB(250, 0, 0));
    const SolidBrush grey(RGB(180, 180, 180));
    const SolidBrush olive(RGB(180, 180, 0));
    HGDIOBJ oldPen = SelectObject(dc, black.get());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 0, 0, w, h);
    SelectObject(dc, grey.get());
    Rectangle(dc, 0, 0, kWaveViewMargin, h);
    Rectangle(dc, w - kWaveViewMargin, 0, w, h);
    SelectObject(dc, red.get());
    if (state.file.channels >= 2) {
        const RECT band = {0, h / 2 - kWaveViewStereoBand / 2, w, h / 2 + kWaveViewStereoBand / 2};
        FillRect(dc, &band, olive.get());
        for (int channel = 0; channel < 2; ++channel) {
            const int y = TraceAxisOf(state.view, 2, channel).centre;
            MoveToEx(dc, kWaveViewMargin, y, nullptr);
            LineTo(dc, w - kWaveViewMargin, y);
        }
    } else {
        MoveToEx(dc, 0, h / 2, nullptr);
        LineTo(dc, w, h / 2);
    }
    SelectObject(dc, black.get());
    for (int channel = 0; channel < std::min(state.file.channels, 2); ++channel) DrawTrace(dc, channel);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(192, 192, 192));
    SetBkMode(dc, OPAQUE);
    const int textX = w - 95;
    DrawText(dc, textX, 50, L"現在ポイント");
    DrawText(dc, textX, 100, Widen(TimeText(state.now)));
    DrawText(dc, textX, 150, L"全ファイル");
    DrawText(dc, textX, 200, Widen(TimeText(state.length)));
    DrawText(dc, 0, 60, Widen(StepText(state.view.analyzePer)));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// Moves a button only when its place changed: a move repaints the parent, which would lay the
// buttons out again.
void PlaceButtons(HWND window, int clientW, int clientH) {
    const std::array<ButtonPlace, 8> places = ButtonLayout(state.view, clientW, clientH);
    for (const ButtonPlace& place : places) {
        HWND button = GetDlgItem(window, place.id);
        if (!button) continue;
        RECT now = {};
        GetWindowRect(button, &now);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != place.x || now.top != place.y || now.right - now.left != place.w ||
            now.bottom - now.top != place.h) {
            MoveWindow(button, place.x, place.y, place.w, place.h, TRUE);
        }
    }
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!state.reloading && state.backing) {
        RECT client = {};
        GetClientRect(window, &client);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, state.backing);
        DrawScreen(memory);
        // Halftone keeps one-pixel traces visible when the screen is shrunk into the window.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, state.view.screenW, state.view.screenH,
                   SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        PlaceButtons(window, client.right, client.bottom);
    }
    EndPaint(window, &paint);
}

void Move(HWND window, int id) {
    std::int32_t pos = stream_source.viewPos;
    if (!ApplyWaveViewButton(id, state.view, state.file, pos)) return;
    stream_source.viewPos = pos;
    LoadScreen(window);
}

void OpenAnotherFile(HWND window) {
    state.reloading = true;
    CloseSourceFile(stream_source);
    ReleaseSourceBuffer(stream_source);
    ChooseAnalysisWave(window, state.path);  // a cancelled choice keeps the old path
    // The main window may have closed the view while the chooser was up.
    if (!IsWindow(window)) return;
    if (!OpenWaveStream(state.path, stream_source, true)) {
        state.reloading = false;
        DestroyWindow(window);
        return;
    }
    state.file = FileOfStream();
    state.length = SplitMilliseconds(file_duration);
    state.view.analyzePer = std::min(state.view.analyzePer, MaxAnalyzePer(state.view, state.file));
    LoadScreen(window);
    SetTitle(window);
    state.reloading = false;
    InvalidateRect(window, nullptr, FALSE);
}

void ToggleDetail(HWND window) {
    state.view.detail = !state.view.detail;
    CheckMenuItem(GetMenu(window), IDM_WAVE_VIEW_DETAIL,
                  MF_BYCOMMAND | (state.view.detail ? MF_CHECKED : MF_UNCHECKED));
    // Fewer points make a shorter screen; the end clamp follows.
    stream_source.viewPos = MoveForward(state.view, state.file, stream_source.viewPos, 0);
    LoadScreen(window);
}

INT_PTR CALLBACK JumpProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDialogText(dialog, IDC_JUMP_MINUTES, JumpMinutesText(state.now));
            SetDialogText(dialog, IDC_JUMP_SECONDS, JumpSecondsText(state.now));
            SetDialogText(dialog, IDC_JUMP_LIMIT, LengthLimitText(state.length));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_JUMP_GO: {
                    std::int32_t pos = stream_source.viewPos;
                    if (JumpPosition(state.view, state.file, state.length, DialogText(dialog, IDC_JUMP_MINUTES),
                                     DialogText(dialog, IDC_JUMP_SECONDS), pos)) {
                        stream_source.viewPos = pos;
                        LoadScreen(GetWindow(dialog, GW_OWNER));
                    }
                    return TRUE;
                }
                case IDOK:
                case IDCANCEL: DestroyWindow(dialog); return TRUE;
                default: return FALSE;
            }
        case WM_DESTROY: state.jumpDialog = nullptr; return FALSE;
        default: return FALSE;
    }
}

void OpenJumpDialog(HWND window) {
    if (state.jumpDialog) {
        SetForegroundWindow(state.jumpDialog);
        return;
    }
    state.jumpDialog = CreateDialogParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                                          MAKEINTRESOURCEW(IDD_WAVE_VIEW_JUMP), window, JumpProc, 0);
    if (!state.jumpDialog) {
        MessageBoxW(nullptr, L"Cannot open dialog", L"error", MB_OK);
        return;
    }
    ShowWindow(state.jumpDialog, SW_SHOW);
}

void OnCommand(HWND window, int id) {
    switch (id) {
        case IDM_WAVE_VIEW_OPEN: OpenAnotherFile(window); return;
        case IDM_WAVE_VIEW_QUIT: DestroyWindow(window); return;
        case IDM_WAVE_VIEW_DETAIL: ToggleDetail(window); return;
        case IDM_WAVE_VIEW_GOTO: OpenJumpDialog(window); return;
        case IDM_WAVE_VIEW_KEY_BACK:
        case IDM_WAVE_VIEW_KEY_FORWARD: Move(window, id); return;
        default:
            Move(window, id);
            // A clicked button keeps the focus; give it back so that the arrow keys reach the view.
            SetFocus(window);
            return;
    }
}

void OnKey(HWND window, WPARAM key, bool down) {
    bool* held = key == VK_RIGHT ? &state.rightHeld : key == VK_LEFT ? &state.leftHeld : nullptr;
    if (!held) return;
    Shared<int>& repeat = key == VK_RIGHT ? wave_view_keys.right : wave_view_keys.left;
    if (!down) {
        *held = false;
        repeat = 0;
        return;
    }
    // The keyboard's own auto-repeat does nothing: the tick timer repeats at its own pace.
    if (*held) return;
    *held = true;
    Move(window, key == VK_RIGHT ? IDM_WAVE_VIEW_KEY_FORWARD : IDM_WAVE_VIEW_KEY_BACK);
    repeat = 1;
}

void OnDestroy() {
    if (state.jumpDialog) DestroyWindow(state.jumpDialog);
    CloseSourceFile(stream_source);
    ReleaseSourceBuffer(stream_source);
    wave_view_keys.right = 0;
    wave_view_keys.left = 0;
    SetCheckMark(IDM_WAVE_VIEW, false);
    if (state.backing) DeleteObject(state.backing);
    state.backing = nullptr;
    state.buttons.fill(nullptr);
    app.dialogs.wave_view = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK WaveViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE: OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lparam)); return 0;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_COMMAND: OnCommand(window, LOWORD(wparam)); return 0;
        case WM_KEYDOWN: OnKey(window, wparam, true); return 0;
        case WM_KEYUP: OnKey(window, wparam, false); return 0;
        case WM_KILLFOCUS:
            // A key released elsewhere never sends its key-up here; stop its repetition now.
            OnKey(window, VK_RIGHT, false);
            OnKey(window, VK_LEFT, false);
            return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

void RunWaveView(HINSTANCE instance, HWND owner, const std::string& path) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WaveViewProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_WAVE_VIEW_MENU);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // already registered by an earlier view: that class is the same

    HWND window = CreateWindowExW(
        0, kClassName, L"WaveView", WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
        CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, owner, nullptr, instance, const_cast<std::string*>(&path));
    if (!window) {
        app.dialogs.wave_view = nullptr;
        CloseSourceFile(stream_source);
        ReleaseSourceBuffer(stream_source);
        SetCheckMark(IDM_WAVE_VIEW, false);
        return;
    }
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (state.jumpDialog && IsDialogMessageW(state.jumpDialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool StartWaveView(const std::string& path) {
    const HINSTANCE instance = app.instance;
    const HWND owner = app.main_window;
    if (!view_thread.Start([instance, owner, path](Worker&) { RunWaveView(instance, owner, path); })) {
        CloseSourceFile(stream_source);
        ReleaseSourceBuffer(stream_source);
        return false;
    }
    return true;
}

bool WaveViewStarting() {
    return view_thread.Running() && app.dialogs.wave_view.load() == nullptr;
}

void CloseWaveView() {
    view_thread.RequestStop();
    // WM_CLOSE destroys the window on its own thread, where its WM_DESTROY closes the stream and
    // ends the loop.
    HWND window = app.dialogs.wave_view.load();
    if (window) SendMessageW(window, WM_CLOSE, 0, 0);
    view_thread.Join(kCloseWait);
}

void RepeatWaveViewKeys() {
    HWND window = app.dialogs.wave_view.load();
    if (!window) return;
    // Posted, not sent: the timer thread must never wait for the view's thread.
    switch (StepWaveViewKeys(wave_view_keys, app.tick_count)) {
        case WaveViewRepeat::Forward: PostMessageW(window, WM_COMMAND, IDM_WAVE_VIEW_KEY_FORWARD, 0); break;
        case WaveViewRepeat::Back: PostMessageW(window, WM_COMMAND, IDM_WAVE_VIEW_KEY_BACK, 0); break;
        case WaveViewRepeat::None: break;
    }
}
