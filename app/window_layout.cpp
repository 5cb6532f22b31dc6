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
