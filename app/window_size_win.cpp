// Two-pass window sizing: the second pass uses the menu band measured after the first.
#include "app/app_state.h"
#include "app/main_window_win.h"
#include "app/window_layout.h"

namespace {

void MoveKeepingCorner(HWND window, int width, int height) {
    RECT rect;
    GetWindowRect(window, &rect);
    MoveWindow(window, rect.left, rect.top, width, height, TRUE);
}

}  // namespace

void SizeMainWindow() {
    HWND window = app.main_window;
    if (!window) return;
    ScreenSize picture = PictureSize(app.screen_size);

    WindowMetrics first = {app.caption_height, GetSystemMetrics(SM_CYMENU), app.toolbar_height};
    MoveKeepingCorner(window, picture.width, OuterWindowHeight(picture, first));

    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    app.menu_band_height = MeasuredMenuBandHeight(outer.bottom - outer.top, client.bottom - client.top,
                                                  app.caption_height, GetSystemMetrics(SM_CYFRAME));
    WindowMetrics second = {app.caption_height, app.menu_band_height, app.toolbar_height};
    MoveKeepingCorner(window, picture.width, OuterWindowHeight(picture, second));
}
