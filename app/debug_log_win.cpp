// Debugger output through the system.
#include "app/debug_log_win.h"

#include <windows.h>

#include "app/debug_log.h"

void InstallDebuggerSink() {
    SetDebugSink([](const char* text) { OutputDebugStringA(text); });
}
