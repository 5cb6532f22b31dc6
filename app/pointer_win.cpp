// Pointer positions in picture coordinates, handed to the portable button logic.
#include "app/pointer_win.h"

#include "app/app_state.h"
#include "app/pointer_input.h"
#include "display/images_win.h"
#include "wavetools/reference_tone_win.h"

namespace {

constexpr int kStripToneMs = 500;

struct PointerPlace {
    RECT window;
    POINT screen;
};

PointerPlace Place(HWND window) {
    PointerPlace place;
    GetCursorPos(&place.screen);
    GetWindowRect(window, &place.window);
    return place;
}

void Carry(HWND window, const PointerAction& action) {
    if (action.refresh) InvalidateDrawingArea();
    if (action.tone_key) PlayReferenceTone(action.tone_key, action.tone_ms);
    if (action.command) SendMessageW(window, WM_COMMAND, action.command, 0);
}

}  // namespace

LRESULT OnLeftButtonDown(HWND window) {
    PointerPlace p = Place(window);
    int xw = p.screen.x - p.window.left;
    int yw = p.screen.y - p.window.top;
    if (app.current_tool == kToolSpectrum) {
        int key = SpectrumStripKey(p.window.right - p.window.left, p.window.bottom - p.window.top, xw, yw,
                                   app.frame_width);
        if (key) PlayReferenceTone(key, kStripToneMs);
        return 0;
    }
    int x = xw;
    int y = yw - (app.caption_height + app.menu_band_height + app.toolbar_height);
    if (app.current_tool == kToolTuner) Carry(window, TunerPress(app, x, y, app.dialogs.tuning != nullptr));
    return 0;
}

LRESULT OnLeftButtonUp(HWND) {
    if (ReleasePress(app)) InvalidateDrawingArea();
    return 0;
}

LRESULT OnMouseMove(HWND) { return 0; }
