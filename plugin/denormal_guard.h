// Flushes denormal floats to zero for the lifetime of the guard, restoring the
// caller's floating-point mode afterwards.
#pragma once

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define ZELVIK_HAS_MXCSR 1
#endif

// Decaying filters and envelopes approach zero through denormals, which cost many
// times a normal operation on x86. The host's own mode is put back on return.
class DenormalGuard {
public:
#ifdef ZELVIK_HAS_MXCSR
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }

    static constexpr unsigned kFlushToZero = 0x8000;      // results that would be denormal become 0
    static constexpr unsigned kDenormalsAreZero = 0x0040;  // denormal inputs read as 0

private:
    unsigned saved;
#else
    DenormalGuard() {}
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
