// The tuner screen: the layout's images in order, then the needle.
#include "display/tuner_screen_win.h"

#include "app/app_state.h"
#include "app/gdi_win.h"
#include "display/images_win.h"
#include "display/tuner_layout.h"

namespace {

TunerView CurrentView() {
    TunerView v;
    v.detected_note = app.detected_note;
    v.display_frequency = app.display_frequency;
    v.cents_offset = app.cents_offset;
    v.target_note = app.target_note;
    v.fors_status = app.fors_status;
    v.inst_status = app.inst_status;
    v.instrument = app.instrument;
    v.string_index = app.string_index;
    v.pressed_button = app.pressed_button;
    return v;
}

void DrawNeedle(HDC dc, const NeedleLine& line) {
    ScopedPen pen(dc, RGB(5, 5, 5), 2);
    MoveToEx(dc, line.x0, line.y0, nullptr);
    LineTo(dc, line.x1, line.y1);
}

}  // namespace

void DrawTunerScreen(HDC memory) {
    TunerView view = CurrentView();
    for (const ImageDraw& image : TunerScreenImages(view)) {
        if (image.keyed) {
            DrawImageKeyed(image.id, image.x, image.y, memory);
        } else {
            DrawImageOpaque(image.id, image.x, image.y, memory);
        }
    }
    DrawNeedle(memory, Needle(view.cents_offset));
}
