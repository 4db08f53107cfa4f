// Numeric helpers shared by the engine and the parameter mapping: wide powers and
// sines rounded once to float, and the choice mapping of 0..1 values.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

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

// Fast paths for the per-sample sine and power that round exactly like the library's
// double functions: a double polynomial, and the library itself whenever the result
// lies too near a float rounding boundary for the polynomial's error to be ruled out.
// Both were compared with the library for every float of their fast ranges.
namespace synth_math_detail {

// Adding and removing 1.5 * 2^52 rounds a double below 2^51 to the nearest integer.
constexpr double kRoundingShift = 6755399441055744.0;

inline double roundToInteger(double x) {
    return (x + kRoundingShift) - kRoundingShift;
}

// True when `y` lies within 256 double units of a point half-way between two floats
// (or of zero), where a few units of polynomial error could change the float rounding.
inline bool nearFloatRoundingBoundary(double y) {
    uint64_t bits;
    std::memcpy(&bits, &y, sizeof bits);
    const uint32_t belowFloat = static_cast<uint32_t>(bits & 0x1FFFFFFFu);  // 29 bits
    const uint32_t halfway = 0x10000000u;
    const uint32_t distance = belowFloat > halfway ? belowFloat - halfway : halfway - belowFloat;
    return distance < 256u || std::fabs(y) < 1e-30;
}

// sin and cos on |r| <= pi/4 (the classic minimax kernels, error below a double unit).
inline double sinKernel(double r) {
    const double z = r * r;
    const double z2 = z * z;
    const double low = -1.66666666666666324348e-01 + z * 8.33333333332248946124e-03;
    const double mid = -1.98412698298579493134e-04 + z * 2.75573137070700676789e-06;
    const double high = -2.50507602534068634195e-08 + z * 1.58969099521155010221e-10;
    return r + r * z * (low + z2 * (mid + z2 * high));
}

inline double cosKernel(double r) {
    const double z = r * r;
    const double z2 = z * z;
    const double low = 4.16666666666666019037e-02 + z * -1.38888888888741095749e-03;
    const double mid = 2.48015872894767294178e-05 + z * -2.75573143513906633035e-07;
    const double high = 2.08757232129817482790e-09 + z * -1.13596475577881948265e-11;
    return 1.0 - 0.5 * z + z2 * (low + z2 * (mid + z2 * high));
}

}  // namespace synth_math_detail

// The sine of a float angle computed wide and rounded once: what the FPU's sine gives
// once stored as float (glibc's sinf differs by one unit in about 0.1% of angles).
// Equal to (float)std::sin((double)angle) for every float; fast for 0..26 radians.
inline float extendedSin(float angle) {
    using namespace synth_math_detail;
    const double a = angle;
    if (!(a >= 0.0 && a <= 26.0)) {
        return static_cast<float>(std::sin(a));
    }
    // a - k pi/2 with pi/2 in two parts: the first has 33 bits, so k times it is exact.
    const double k = roundToInteger(a * 6.36619772367581382433e-01);
    const double r = (a - k * 1.57079632673412561417e+00) - k * 6.07710050650619224932e-11;
    const int quadrant = static_cast<int>(k) & 3;
    double y = (quadrant & 1) ? cosKernel(r) : sinKernel(r);
    if (quadrant >= 2) {
        y = -y;
    }
    if (nearFloatRoundingBoundary(y)) {
        return static_cast<float>(std::sin(a));
    }
    return static_cast<float>(y);
}

// 200^exponent, equal to extendedPow(200, exponent) for every float, but several times
// cheaper on the filter's range; the filter recomputes it per voice and sample.
inline float powerOf200(float exponent) {
    using namespace synth_math_detail;
    const double x = exponent;
    if (!(x >= -4.0 && x <= 2.0)) {
        return static_cast<float>(std::pow(200.0, x));
    }
    // 200^x = 2^n * 2^r with n + r = x log2(200); the high part of log2(200) has 27
    // bits, so x times it (24 bits) is exact and r keeps full double precision.
    const double scaledHigh = x * 7.6438561677932739;
    const double n = roundToInteger(scaledHigh);
    const double r = (scaledHigh - n) + x * 2.1981450769835431e-08;
    // 2^r = sum (r ln 2)^k / k!, k = 0..13, grouped for a short dependency chain.
    const double r2 = r * r;
    const double r4 = r2 * r2;
    const double a0 = 1.0 + r * 0.693147180559945309429;
    const double a1 = 0.240226506959100712341 + r * 0.0555041086648215799578;
    const double a2 = 0.00961812910762847716249 + r * 0.00133335581464284434239;
    const double a3 = 0.000154035303933816099553 + r * 1.52527338040598402812e-05;
    const double a4 = 1.321548679014430949e-06 + r * 1.01780860092396997292e-07;
    const double a5 = 7.05491162080112333112e-09 + r * 4.44553827187081149844e-10;
    const double a6 = 2.56784359934882051473e-11 + r * 1.36914888539041288838e-12;
    const double b0 = a0 + r2 * a1;
    const double b1 = a2 + r2 * a3;
    const double b2 = a4 + r2 * a5;
    const double power = (b0 + r4 * b1) + (r4 * r4) * (b2 + r4 * a6);
    const uint64_t scaleBits = static_cast<uint64_t>(static_cast<int64_t>(n) + 1023) << 52;
    double scale;
    std::memcpy(&scale, &scaleBits, sizeof scale);
    const double y = power * scale;
    if (nearFloatRoundingBoundary(y)) {
        return static_cast<float>(std::pow(200.0, x));
    }
    return static_cast<float>(y);
}
