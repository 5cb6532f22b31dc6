// Progress and shutdown traces for the system debugger; each text ends in "\r\n".
#ifndef HARMOLAB_APP_DEBUG_LOG_H
#define HARMOLAB_APP_DEBUG_LOG_H

void DebugLine(const char* text);

#endif
