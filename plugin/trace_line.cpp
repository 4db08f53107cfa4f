// Trace line formatting and the sink that normally throws the lines away.
#include "plugin/trace_line.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

static void formatTraceLineV(char* line, const char* format, va_list args) {
    std::vsnprintf(line, kTraceLineSize, format, args);
}

void formatTraceLine(char* line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    formatTraceLineV(line, format, args);
    va_end(args);
}

void formatDispatchTrace(char* line, int opcode, int index, intptr_t value, const void* ptr, float opt) {
    formatTraceLine(line, "Event disp : opCode %d, index %d, value %" PRIdPTR ", ptr %p, opt %f\n", opcode, index,
                    value, ptr, (double)opt);
}

void emitTraceLine(const char* line) {
#ifdef ZELVIK_TRACE
    std::fputs(line, stderr);
#else
    (void)line;
#endif
}

void trace(const char* format, ...) {
    if (!kTraceEnabled) return;
    char line[kTraceLineSize];
    va_list args;
    va_start(args, format);
    formatTraceLineV(line, format, args);
    va_end(args);
    emitTraceLine(line);
}
