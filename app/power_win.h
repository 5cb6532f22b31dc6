// Power, pause and tool switches of the main window.
#ifndef HARMOLAB_APP_POWER_WIN_H
#define HARMOLAB_APP_POWER_WIN_H

#include "app/tool_sequence.h"

// Carries out the actions in order, then sets the marks and the power and pause images from the
// state. False when a capture could not be started.
bool RunToolSequence(const ToolSequence& sequence);

// Switches power off and stops the current tool; a pause ends with it.
void PowerOff();
// The power command: off when on, otherwise on and the tool started.
void TogglePower();
void TogglePause();

#endif
