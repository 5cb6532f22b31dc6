// The tuner screen: the layout's images in order, the reference pitch when it is not 440, then the needle.
#include "display/tuner_screen_win.h"

#include "app/app_state.h"
#include "app/gdi_win.h"
#include "app/text_win.h"
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
    v.reference_a4_hz = app.reference_a4_hz;
    return v;
}

void DrawNeedle(HDC dc, const NeedleLine& line) {
    ScopedPen pen(dc, RGB(5, 5, 5), 2);
    MoveToEx(dc, line.x0, line.y0, nullptr);
    LineTo(dc, line.x1, line.y1);
}

void DrawReferencePitch(HDC dc, const std::string& label) {
    if (label.empty()) return;
    HFONT font = CreateFontW(22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
    int old_mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_colour = SetTextColor(dc, RGB(5, 5, 5));
    std::wstring text = Widen(label);
    TextOutW(dc, kReferencePitchX, kReferencePitchY, text.c_str(), static_cast<int>(text.size()));
    SetTextColor(dc, old_colour);
    SetBkMode(dc, old_mode);
    if (font) {
        SelectObject(dc, old_font);
        DeleteObject(font);
    }
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
    DrawReferencePitch(memory, ReferencePitchLabel(view.reference_a4_hz));
    DrawNeedle(memory, Needle(view.cents_offset));
}
