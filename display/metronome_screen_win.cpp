// The metronome screen: the layout's images and conductor lines, carried out in order.
#include "display/metronome_screen_win.h"

#include "app/gdi_win.h"

#include "app/app_state.h"
#include "display/image_ids.h"
#include "display/images_win.h"
#include "display/metronome_layout.h"

namespace {

MetronomeView CurrentView() {
    MetronomeView v;
    v.kind = app.metronome_kind;
    v.tempo = app.metronome_tempo;
    v.beat_no = app.beat_no;
    v.pressed_button = app.pressed_button;
    v.power_on = app.power_on != 0;
    v.rod_position = app.rod_position;
    v.beat_index = app.beat_index;
    v.bar_count = app.bar_count;
    v.conductor_line = app.conductor_line;
    v.ball_frame = app.ball_frame;
    SIZE shadow = ImageSize(kImageShadow);
    v.shadow_width = shadow.cx;
    v.shadow_height = shadow.cy;
    return v;
}

void DrawLine(HDC dc, const MetronomeDraw& line) {
    if (line.points.size() < 2) return;
    // The layout's colour is already in GDI's 0x00BBGGRR order.
    ScopedPen pen(dc, static_cast<COLORREF>(line.colour), line.pen_width);
    if (!pen.ok()) return;
    MoveToEx(dc, line.points[0][0], line.points[0][1], nullptr);
    for (size_t k = 1; k < line.points.size(); ++k) LineTo(dc, line.points[k][0], line.points[k][1]);
}

}  // namespace

void DrawMetronomeScreen(HDC memory) {
    MetronomeScreen screen = MetronomeScreenItems(CurrentView());
    app.ball_frame = screen.ball_frame;
    for (const MetronomeDraw& item : screen.items) {
        switch (item.kind) {
            case MetronomeDraw::kKeyed: DrawImageKeyed(item.id, item.x, item.y, memory); break;
            case MetronomeDraw::kOpaque: DrawImageOpaque(item.id, item.x, item.y, memory); break;
            case MetronomeDraw::kScaled:
                DrawImageScaled(item.id, item.x, item.y, item.width, item.height, memory);
                break;
            case MetronomeDraw::kLine: DrawLine(memory, item); break;
        }
    }
}
