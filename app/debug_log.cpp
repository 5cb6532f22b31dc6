// Trace lines through a replaceable sink.
#include "app/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace {
std::function<void(const char*)>& Sink() {
    static std::function<void(const char*)> sink;
    return sink;
}
}  // namespace

void SetDebugSink(std::function<void(const char*)> sink) {
    Sink() = std::move(sink);
}

void DebugLine(const char* text) {
    if (Sink()) Sink()(text);
}

void DebugLineF(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    DebugLine(buffer);
}
