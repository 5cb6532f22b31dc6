// Program entry: launch mode from the command line, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/debug_log_win.h"
#include "app/dialog_win.h"
#include "app/main_window_win.h"
#include "app/text_win.h"
#include "resources/resource_ids.h"

namespace {

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 0; i < count; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    return args;
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
}

// Without these entries the window can be neither resized nor maximized by the user.
void RemoveSizeAndMaximize(HWND window) {
    HMENU system_menu = GetSystemMenu(window, FALSE);
    DeleteMenu(system_menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(system_menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DrawMenuBar(window);
}

int RunMessageLoop(HWND window) {
    HACCEL accelerators = LoadAcceleratorsW(app.instance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // A dialog's keys are the dialog's own, even those the menu has shortcuts for.
        if (RouteToModelessDialog(msg)) continue;
        if (accelerators && TranslateAcceleratorW(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    InstallDebuggerSink();
    LaunchOptions options = ParseCommandLine(ProgramArguments());
    app.launch_mode = options.launch_mode;
    app.metronome_tempo = options.metronome_tempo;
    app.beat_no = options.beat_no;
    app.instance = instance;

    InitCommonControlClasses();
    if (!RegisterMainWindowClass(instance, app.launch_mode)) return 0;
    const wchar_t* name = MainWindowClassName(app.launch_mode);
    // Children are clipped so that the picture never paints over the toolbar band.
    HWND window = CreateWindowExW(0, name, name, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0, 640, 480,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, show);
    UpdateWindow(window);
    RemoveSizeAndMaximize(window);

    int exit_code = RunMessageLoop(window);
    if (IsWindow(window)) DestroyWindow(window);
    return exit_code;
}
