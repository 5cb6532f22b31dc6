// Debugger output through the system.
#include "app/debug_log.h"

#include <windows.h>

void DebugLine(const char* text) { OutputDebugStringA(text); }
