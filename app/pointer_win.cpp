// Pointer positions in picture coordinates, handed to the portable button logic.
#include "app/pointer_win.h"

#include "app/app_state.h"
#include "app/dpi_win.h"
#include "app/pointer_input.h"
#include "app/window_layout.h"
#include "display/images_win.h"
#include "wavetools/reference_tone_win.h"

namespace {

constexpr int kStripToneMs = 500;

struct PointerPlace {
    RECT window;
    POINT screen;
    int dpi;
};

PointerPlace Place(HWND window) {
    PointerPlace place;
    GetCursorPos(&place.screen);
    GetWindowRect(window, &place.window);
    place.dpi = WindowDpi(window);
    return place;
}

// The pointer in picture coordinates: from the window's left edge, and from below the caption,
// the menu band and the toolbar, brought back from the scaled picture to its own pixels.
POINT PicturePoint(const PointerPlace& p) {
    return {
        ToPicture(p.screen.x - p.window.left, p.dpi),
        ToPicture(p.screen.y - (p.window.top + app.caption_height + app.menu_band_height + app.toolbar_height), p.dpi)};
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
        int key =
            SpectrumStripKey(p.window.right - p.window.left, p.window.bottom - p.window.top, xw, yw, app.frame_width);
        if (key) PlayReferenceTone(key, kStripToneMs);
        return 0;
    }
    POINT at = PicturePoint(p);
    PointerAction action;
    if (app.current_tool == kToolTuner) {
        action = TunerPress(app, at.x, at.y, app.dialogs.tuning != nullptr);
    } else if (app.current_tool == kToolMetronome) {
        action = MetronomePress(app, at.x, at.y);
    }
    // While a painted button is held the release must come here, wherever the pointer goes.
    if (app.pressed_button) SetCapture(window);
    Carry(window, action);
    return 0;
}

LRESULT OnLeftButtonUp(HWND window) {
    if (ReleasePress(app)) InvalidateDrawingArea();
    if (GetCapture() == window) ReleaseCapture();
    return 0;
}

LRESULT OnCaptureChanged() {
    // The pointer went elsewhere (another window took it, or the press ended unseen): nothing is
    // held any more.
    if (ReleasePress(app)) InvalidateDrawingArea();
    return 0;
}

LRESULT OnMouseMove(HWND window, WPARAM keys) {
    if (app.current_tool != kToolMetronome || app.pressed_button != 1) return 0;
    POINT at = PicturePoint(Place(window));
    if (MetronomeDrag(app, at.x, at.y, (keys & MK_LBUTTON) != 0)) InvalidateDrawingArea();
    return 0;
}
