// Presses, releases and held repetition of the painted buttons, in picture coordinates.
#ifndef HARMOLAB_APP_POINTER_INPUT_H
#define HARMOLAB_APP_POINTER_INPUT_H

#include "app/app_state.h"

// What a press asks the window to do besides changing the state.
struct PointerAction {
    bool refresh = false;  // invalidate the picture
    int tone_key = 0;      // play the reference tone of this key (1..88) ...
    int tone_ms = 0;       // ... for this long
    int command = 0;       // send this menu command to the main window
};

// Tuner press at picture position (x, y), boxes of the current screen size (0 normal, 1 half).
PointerAction TunerPress(AppState& state, int x, int y, bool tuning_dialog_open);

// Metronome press at picture position (x, y), boxes of the current screen size: nothing while the
// power is on; otherwise the pendulum weight, then the Normal layout's tempo buttons, then the top
// row (bar length down and up, tempo down and up; the top-row tempo buttons also step at once).
PointerAction MetronomePress(AppState& state, int x, int y);

// Pointer move on the metronome screen while the weight is held with the left button down: one
// pixel down is one beat per minute more, within 30..300. True when the picture must refresh.
bool MetronomeDrag(AppState& state, int x, int y, bool left_button_down);

// Held-button repetition of the metronome's tempo buttons while the power is off, run on every tick
// after it is counted, before the tuner's. True when the tempo changed and the picture must refresh.
bool MetronomeRepeat(AppState& state);

// Releasing the left button: true when a held button was let go and the picture must refresh.
bool ReleasePress(AppState& state);

// Held-button repetition of the tuner's step buttons, run on every 20 ms tick after the tick is
// counted: a step when more than five ticks passed since the last one. True when the target changed.
bool TunerRepeat(AppState& state);

// The keyboard strip of the spectrum picture: the key 1..88 under the pointer, 0 outside. Window
// width and height, and the pointer relative to the window's top-left corner.
int SpectrumStripKey(int window_width, int window_height, int xw, int yw, int frame_width);

#endif
