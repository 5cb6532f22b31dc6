// The driver's and the probe's captures: a 24-bit picture drawn into a DIB and written as a BMP file.
#ifndef HARMOLAB_TESTS_DRIVER_CAPTURE_BMP_H
#define HARMOLAB_TESTS_DRIVER_CAPTURE_BMP_H

#include <windows.h>

#include <cstdio>

// Writes bottom-up rows of 24-bit pixels, each row padded to four bytes, as a BMP file.
inline bool WriteBmp24(const wchar_t* path, int width, int height, const BYTE* bottom_up_rows) {
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * height;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(stride) * height;
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    bool ok = std::fwrite(&file, sizeof(file), 1, f) == 1 && std::fwrite(&info, sizeof(info), 1, f) == 1 &&
              std::fwrite(bottom_up_rows, info.biSizeImage, 1, f) == 1;
    return std::fclose(f) == 0 && ok;
}

// Makes a width x height 24-bit DIB compatible with `source`, lets draw(memory_dc) fill it and
// writes it to path; false when any step fails.
template <typename Draw>
bool CaptureToBmp(HDC source, int width, int height, const wchar_t* path, Draw draw) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = memory && dib;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, dib);
        ok = draw(memory);
        GdiFlush();
        SelectObject(memory, old);
        ok = ok && WriteBmp24(path, width, height, static_cast<const BYTE*>(bits));
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    return ok;
}

#endif
