// Numeric helpers shared by the engine and the parameter mapping: wide powers and
// sines rounded once to float, and the choice mapping of 0..1 values.
#pragma once

#include <cmath>
#include <cstdint>

// The single-precision twelfth root of two that every note and arpeggio power uses.
constexpr float kSemitoneRatio = 1.0594631f;
// Frequency of MIDI note 0 in Hz.
constexpr float kNoteZeroHz = 8.175799f;

// base^exponent taken in a wider precision and rounded once to float. The double
// power rounds to the same float as the x87 extended-precision power for the engine's
// arguments (compared over the whole float range of the exponents used).
inline float extendedPow(float base, float exponent) {
    return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

// 200^exponent, equal to extendedPow(200, exponent) for every float, but several times
// cheaper on the filter's range; the filter recomputes it per voice and sample.
float powerOf200(float exponent);

// The sine of a float angle computed wide and rounded once: what the FPU's sine gives
// once stored as float (glibc's sinf differs by one unit in about 0.1% of angles).
// Equal to (float)std::sin((double)angle) for every float; fast for 0..26 radians.
float extendedSin(float angle);

// Entry min(trunc(count * value), count - 1) of a choice of `count` entries. Values
// below 0 and NaN pick entry 0, so a stray host value can never index outside a table.
inline int32_t choiceIndex(float value, int32_t count) {
    const float scaled = static_cast<float>(count) * value;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= static_cast<float>(count - 1)) {
        return count - 1;
    }
    return static_cast<int32_t>(scaled);
}
