// Two-pass window sizing: the second pass uses the menu band measured after the first.
#include "app/app_state.h"
#include "app/dpi_win.h"
#include "app/main_window_win.h"
#include "app/window_layout.h"

namespace {

void MoveKeepingCorner(HWND window, int width, int height) {
    RECT rect;
    GetWindowRect(window, &rect);
    MoveWindow(window, rect.left, rect.top, width, height, TRUE);
}

}  // namespace

void ReadFrameMetrics(HWND window) {
    const int dpi = WindowDpi(window);
    app.caption_height = MetricForDpi(SM_CYCAPTION, dpi);
    app.menu_band_height = MetricForDpi(SM_CYMENU, dpi);
    app.frame_width = MetricForDpi(SM_CXFRAME, dpi);
}

void SizeMainWindow() {
    HWND window = app.main_window;
    if (!window) return;
    const int dpi = WindowDpi(window);
    ScreenSize picture = DevicePictureSize(app.screen_size, dpi);

    WindowMetrics first = {app.caption_height, MetricForDpi(SM_CYMENU, dpi), app.toolbar_height};
    MoveKeepingCorner(window, picture.width, OuterWindowHeight(picture, first));

    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    app.menu_band_height = MeasuredMenuBandHeight(outer.bottom - outer.top, client.bottom - client.top,
                                                  app.caption_height, MetricForDpi(SM_CYFRAME, dpi));
    WindowMetrics second = {app.caption_height, app.menu_band_height, app.toolbar_height};
    MoveKeepingCorner(window, picture.width, OuterWindowHeight(picture, second));
}

void OnDpiChanged(HWND window) {
    // The frame, caption and menu bar change size with the monitor; the picture is scaled to match.
    ReadFrameMetrics(window);
    SizeMainWindow();
    InvalidateRect(window, nullptr, TRUE);
}
