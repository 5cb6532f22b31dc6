// Display density through the per-monitor functions of Windows 10, with fallbacks for Windows 7.
#include "app/dpi_win.h"

#include "app/window_layout.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using MetricsForDpi = int(WINAPI*)(int, UINT);

// Looked up at run time: Windows 7 and 8 have neither function, and the program must still start there.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto dpi_for_window = User32Function<DpiForWindow>("GetDpiForWindow");
    if (dpi_for_window && window) {
        const UINT dpi = dpi_for_window(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

int MetricForDpi(int index, int dpi) {
    static const auto metrics_for_dpi = User32Function<MetricsForDpi>("GetSystemMetricsForDpi");
    return metrics_for_dpi ? metrics_for_dpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}
