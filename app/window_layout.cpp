// Window sizing arithmetic.
#include "app/window_layout.h"

int OuterWindowHeight(const ScreenSize& picture, const WindowMetrics& metrics) {
    return picture.height + metrics.menu_band_height + metrics.caption_height + metrics.toolbar_height;
}

int MeasuredMenuBandHeight(int window_height, int client_height, int caption_height, int sizing_frame_height) {
    return (window_height - client_height - caption_height) - sizing_frame_height;
}

ScreenSize PictureSize(int screen_size) {
    if (screen_size < 0 || screen_size >= static_cast<int>(ScreenSizeTable.size())) return ScreenSizeTable[0];
    return ScreenSizeTable[screen_size];
}

namespace {

int UsableDpi(int dpi) {
    return dpi > 0 ? dpi : kLayoutDpi;
}

}  // namespace

int ToDevice(int picture_pixels, int dpi) {
    const long long scaled = static_cast<long long>(picture_pixels) * UsableDpi(dpi);
    return static_cast<int>((scaled + kLayoutDpi / 2) / kLayoutDpi);
}

int ToPicture(int device_pixels, int dpi) {
    const long long scaled = static_cast<long long>(device_pixels) * kLayoutDpi;
    const int d = UsableDpi(dpi);
    long long q = scaled / d;
    if (scaled % d != 0 && scaled < 0) --q;
    return static_cast<int>(q);
}

ScreenSize DevicePictureSize(int screen_size, int dpi) {
    const ScreenSize picture = PictureSize(screen_size);
    return {ToDevice(picture.width, dpi), ToDevice(picture.height, dpi)};
}
