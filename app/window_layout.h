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

#endif
