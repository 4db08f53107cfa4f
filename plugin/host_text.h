// Bounded writing of texts into buffers the host hands us.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "vst2/vst2_abi.h"

// Buffer sizes we promise never to exceed, terminator included. Hosts document
// smaller limits (8 characters for parameter texts) yet pass larger buffers; every
// text this plug-in produces fits in these.
constexpr size_t kParameterTextSize = 24;   // parameter names, labels, display texts
constexpr size_t kProgramNameSize = kVstMaxProgNameLen;  // program names
constexpr size_t kEffectNameSize = 32;      // effect name
constexpr size_t kVendorTextSize = 64;      // vendor and product strings

// Copies text into dest, cut to capacity - 1 characters and always terminated.
// A null dest or source writes nothing and answers false.
inline bool copyHostText(char* dest, size_t capacity, const char* text) {
    if (!dest || !text || capacity == 0) return false;
    size_t i = 0;
    for (; i + 1 < capacity && text[i]; ++i) dest[i] = text[i];
    dest[i] = 0;
    return true;
}

// printf-style formatting into dest, bounded the same way.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
inline bool formatHostText(char* dest, size_t capacity, const char* format, ...) {
    if (!dest || capacity == 0) return false;
    va_list args;
    va_start(args, format);
    std::vsnprintf(dest, capacity, format, args);
    va_end(args);
    return true;
}
