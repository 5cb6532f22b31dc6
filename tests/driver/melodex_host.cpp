// A small host of the Melodex library, as the program uses it: loads Melodex.dll, binds the six exports by
// ordinal, checks that each ordinal carries its name, starts the tracking with this host's window, hands
// every notification back, calls MelodexInitialize while running, and stops. Prints key=value lines.
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kMelodexData = WM_USER + 10;
constexpr DWORD kListenMs = 1500;

const char* const kNames[] = {"MelodexInitialize", "SetWindowHandle",  "StartMelodex",
                              "StopMelodex",       "GetMelodexStatus", "MelodexProc"};

using Initialize = int (*)();
using SetHandle = HWND (*)(HWND);
using Start = BYTE (*)();
using Stop = void (*)();
using Status = BYTE (*)();
using Proc = void (*)(LPARAM, int);

HMODULE library = nullptr;
int notifications = 0;

FARPROC ByOrdinal(int ordinal) {
    return GetProcAddress(library, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)));
}

// An export bound by ordinal, as the type it has (through void (*)(), the generic function pointer).
template <typename Function>
Function Bind(int ordinal) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(ByOrdinal(ordinal)));
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kMelodexData) {
        ++notifications;
        Bind<Proc>(6)(lparam, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Runs the host's message loop for a while, handing notifications back as they come.
void Listen(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

}  // namespace

int main() {
    library = LoadLibraryW(L"Melodex.dll");
    std::printf("loaded=%d\n", library ? 1 : 0);
    if (!library) return 1;
    for (int ordinal = 1; ordinal <= 6; ++ordinal) {
        FARPROC by_ordinal = ByOrdinal(ordinal);
        FARPROC by_name = GetProcAddress(library, kNames[ordinal - 1]);
        std::printf("ordinal%d=%s\n", ordinal, by_ordinal && by_ordinal == by_name ? kNames[ordinal - 1] : "?");
    }
    std::printf("ordinal7=%s\n", ByOrdinal(7) ? "present" : "absent");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MelodexHost";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"MelodexHost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    // The program's toggle: handle, initialize, start.
    std::printf("handle=%d\n", Bind<SetHandle>(2)(window) == window ? 1 : 0);
    std::printf("initialize=%d\n", Bind<Initialize>(1)());
    std::printf("start=%d\n", Bind<Start>(3)());
    std::printf("start_again=%d\n", Bind<Start>(3)());
    std::printf("status=%d\n", Bind<Status>(5)());
    Listen(kListenMs);
    std::printf("notifications=%d\n", notifications);
    // Initialize again while running: refused, the capture goes on.
    Bind<Initialize>(1)();
    notifications = 0;
    Listen(kListenMs);
    std::printf("status_after_initialize=%d\n", Bind<Status>(5)());
    std::printf("notifications_after_initialize=%d\n", notifications);
    Bind<Stop>(4)();
    std::printf("status_after_stop=%d\n", Bind<Status>(5)());
    Listen(300);  // notifications after the stop are ignored by the library
    DestroyWindow(window);
    FreeLibrary(library);
    std::printf("done=1\n");
    return 0;
}
