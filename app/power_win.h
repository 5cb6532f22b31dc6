// The power switch and pause of the current tool.
#ifndef HARMOLAB_APP_POWER_WIN_H
#define HARMOLAB_APP_POWER_WIN_H

// Switches power off and stops the current tool; a pause ends with it.
void PowerOff();
// Starts the current tool (capture or metronome stream).
void PowerOnTool();
// The power command: off when on, otherwise on and the tool started.
void TogglePower();
void TogglePause();

#endif
