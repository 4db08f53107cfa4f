// Diagnostic trace lines: formed at fixed points, bounded, and normally discarded.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kTraceLineSize = 1024;  // longest trace line, terminator included

// Whether trace lines go anywhere. Without it nothing is even formatted: the audio thread
// traces every MIDI event, and formatting costs far more than the event itself.
#ifdef ZELVIK_TRACE
constexpr bool kTraceEnabled = true;
#else
constexpr bool kTraceEnabled = false;
#endif

// Formats a trace line into line (kTraceLineSize bytes), cut at the bound.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void formatTraceLine(char* line, const char* format, ...);

// The dispatcher's line for one host request; the pointer is printed at its full
// width on every platform.
void formatDispatchTrace(char* line, int opcode, int index, intptr_t value, const void* ptr, float opt);

// The one trace sink. It discards the line unless the build defines ZELVIK_TRACE,
// in which case it goes to stderr. Safe on any thread; never allocates.
void emitTraceLine(const char* line);

// Formats and emits in one step when tracing is on; the plug-in's fixed trace points use this.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void trace(const char* format, ...);
