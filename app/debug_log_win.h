// Sends trace lines to the system debugger output.
#ifndef HARMOLAB_APP_DEBUG_LOG_WIN_H
#define HARMOLAB_APP_DEBUG_LOG_WIN_H

void InstallDebuggerSink();

#endif
