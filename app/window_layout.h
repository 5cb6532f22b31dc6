// Outer window heights of the two-pass sizing: the first pass guesses the menu band from the
// system's menu-bar height, the second uses the band measured after the first move, so a menu
// bar that wraps onto two lines still leaves the full picture visible.
#ifndef HARMOLAB_APP_WINDOW_LAYOUT_H
#define HARMOLAB_APP_WINDOW_LAYOUT_H

#include "app/app_state.h"

struct WindowMetrics {
    int caption_height;
    int menu_band_height;
    int toolbar_height;
};

// Outer height for a picture of the given size below the toolbar.
int OuterWindowHeight(const ScreenSize& picture, const WindowMetrics& metrics);

// The non-client band below the caption, from a measured window and client height.
int MeasuredMenuBandHeight(int window_height, int client_height, int caption_height, int sizing_frame_height);

// The picture size for a screen_size index; an index outside the table reads as normal size.
ScreenSize PictureSize(int screen_size);

// Pictures and hit boxes are laid out for 96 pixels per inch; on a denser display the picture is
// stretched by dpi / 96 and every pointer position is brought back to picture pixels.
constexpr int kLayoutDpi = 96;
// A picture length in device pixels at the given DPI (rounded).
int ToDevice(int picture_pixels, int dpi);
// The picture pixel drawn under a device pixel offset from the picture's corner (rounded down, so
// that positions left of or above the picture stay outside it).
int ToPicture(int device_pixels, int dpi);
// The picture size for a screen_size index at the given DPI.
ScreenSize DevicePictureSize(int screen_size, int dpi);

#endif
