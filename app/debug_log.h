// Progress and shutdown traces for the system debugger; each text ends in "\r\n".
#ifndef HARMOLAB_APP_DEBUG_LOG_H
#define HARMOLAB_APP_DEBUG_LOG_H

#include <functional>

// Writes one trace line to the installed sink (nothing is written before one is installed).
void DebugLine(const char* text);
// printf-style trace, formatted into a 512-byte buffer.
void DebugLineF(const char* format, ...);

// The Win32 layer installs the system debugger; tests install a recorder.
void SetDebugSink(std::function<void(const char*)> sink);

#endif
