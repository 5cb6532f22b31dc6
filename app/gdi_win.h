// Tiny holders for GDI objects, so that every pen and brush is released on every path.
#ifndef HARMOLAB_APP_GDI_WIN_H
#define HARMOLAB_APP_GDI_WIN_H

#include <windows.h>

// A solid pen selected into a DC for one scope; the DC gets its previous pen back before deletion.
class ScopedPen {
public:
    ScopedPen(HDC dc, COLORREF colour, int width) : dc_(dc), pen_(CreatePen(PS_SOLID, width, colour)) {
        if (pen_) old_ = SelectObject(dc_, pen_);
    }
    ~ScopedPen() {
        if (!pen_) return;
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;
    bool ok() const { return pen_ != nullptr; }

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_ = nullptr;
};

// A solid pen owned for one scope, for drawing code that switches between several pens.
class SolidPen {
public:
    SolidPen(COLORREF colour, int width = 1) : pen_(CreatePen(PS_SOLID, width, colour)) {}
    ~SolidPen() {
        if (pen_) DeleteObject(pen_);
    }
    SolidPen(const SolidPen&) = delete;
    SolidPen& operator=(const SolidPen&) = delete;
    HPEN get() const { return pen_; }

private:
    HPEN pen_;
};

// A solid brush for one scope.
class SolidBrush {
public:
    explicit SolidBrush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
    ~SolidBrush() {
        if (brush_) DeleteObject(brush_);
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    HBRUSH get() const { return brush_; }

private:
    HBRUSH brush_;
};

// Fills a rectangle with a solid colour.
inline void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
    SolidBrush brush(colour);
    FillRect(dc, &area, brush.get());
}

#endif
