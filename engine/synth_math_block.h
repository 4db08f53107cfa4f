// Block forms of extendedSin and powerOf200: two values per step, each lane doing the very
// operations of the single-value form, so every result is bit for bit the same.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/synth_math.h"

// Block arrays hold a whole number of lanes: callers size them by this.
constexpr int kMathBlockLanes = 2;

namespace synth_math_detail {

// Plain element-wise vectors (GCC and Clang) the width of an SSE2 register: the same IEEE
// double operations as the scalar code, and no contraction since -ffp-contract=off holds.
typedef double DoublePair __attribute__((vector_size(16)));
typedef int64_t WidePair __attribute__((vector_size(16)));
typedef int32_t NarrowQuad __attribute__((vector_size(16)));
typedef float FloatPair __attribute__((vector_size(8)));

template <typename To, typename From>
inline To sameBits(From from) {
    static_assert(sizeof(To) == sizeof(From), "reinterpretation keeps the size");
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

inline DoublePair loadWidened(const float* values) {
    FloatPair narrow;
    std::memcpy(&narrow, values, sizeof narrow);
    return __builtin_convertvector(narrow, DoublePair);
}

inline double librarySin(double x) { return std::sin(x); }
inline double libraryPowerOf200(double x) { return std::pow(200.0, x); }

// Rounds both lanes to float, except where the single form calls the library: outside the
// fast range (inRange false), and where nearFloatRoundingBoundary holds.
inline void finishPair(DoublePair y, DoublePair x, WidePair inRange, float* out, int lanes,
                       double (*library)(double)) {
    // The boundary test looks at the low 29 bits only: 32-bit lanes, the even ones.
    const NarrowQuad belowFloat = sameBits<NarrowQuad>(y) & 0x1FFFFFFF;
    const NarrowQuad offset = belowFloat - (0x10000000 - 255);  // distance < 256: 0 <= offset < 511
    const NarrowQuad lowHalves = {-1, 0, -1, 0};
    const NarrowQuad nearBoundary = (offset >= 0) & (offset < 511) & lowHalves;
    const DoublePair magnitude = sameBits<DoublePair>(sameBits<WidePair>(y) & INT64_MAX);
    const WidePair slow = ~inRange | sameBits<WidePair>(nearBoundary) | (magnitude < 1e-30);
    const FloatPair rounded = __builtin_convertvector(y, FloatPair);
    if (lanes >= kMathBlockLanes && (slow[0] | slow[1]) == 0) {
        std::memcpy(out, &rounded, sizeof rounded);
        return;
    }
    for (int j = 0; j < lanes && j < kMathBlockLanes; ++j) {
        out[j] = slow[j] != 0 ? static_cast<float>(library(x[j])) : rounded[j];
    }
}

}  // namespace synth_math_detail

// out[i] = extendedSin(angles[i]) for i < count. Both arrays have room for `count` rounded up
// to whole lanes; the lane past an odd `count` is read (any value) but never written.
inline void extendedSinBlock(const float* angles, float* out, int count) {
    using namespace synth_math_detail;
    for (int i = 0; i < count; i += kMathBlockLanes) {
        const DoublePair a = loadWidened(angles + i);
        const DoublePair shifted = a * 6.36619772367581382433e-01 + kRoundingShift;
        const DoublePair k = shifted - kRoundingShift;
        const DoublePair r = (a - k * 1.57079632673412561417e+00) - k * 6.07710050650619224932e-11;
        // shifted = 1.5 * 2^52 + k exactly, so its low bits are k's (k >= 0 in the fast range).
        const WidePair quadrant = sameBits<WidePair>(shifted);
        const DoublePair z = r * r;
        const DoublePair z2 = z * z;
        const DoublePair sinLow = -1.66666666666666324348e-01 + z * 8.33333333332248946124e-03;
        const DoublePair sinMid = -1.98412698298579493134e-04 + z * 2.75573137070700676789e-06;
        const DoublePair sinHigh = -2.50507602534068634195e-08 + z * 1.58969099521155010221e-10;
        const DoublePair sine = r + r * z * (sinLow + z2 * (sinMid + z2 * sinHigh));
        const DoublePair cosLow = 4.16666666666666019037e-02 + z * -1.38888888888741095749e-03;
        const DoublePair cosMid = 2.48015872894767294178e-05 + z * -2.75573143513906633035e-07;
        const DoublePair cosHigh = 2.08757232129817482790e-09 + z * -1.13596475577881948265e-11;
        const DoublePair cosine = 1.0 - 0.5 * z + z2 * (cosLow + z2 * (cosMid + z2 * cosHigh));
        // Odd quadrants take the cosine, the upper two flip the sign: masks, not branches.
        const WidePair odd = -(quadrant & 1);
        const WidePair sign = (quadrant & 2) << 62;
        const WidePair chosen =
            ((sameBits<WidePair>(cosine) & odd) | (sameBits<WidePair>(sine) & ~odd)) ^ sign;
        finishPair(sameBits<DoublePair>(chosen), a, (a >= 0.0) & (a <= 26.0), out + i, count - i, librarySin);
    }
}

// out[i] = powerOf200(exponents[i]) for i < count; room as for extendedSinBlock.
inline void powerOf200Block(const float* exponents, float* out, int count) {
    using namespace synth_math_detail;
    for (int i = 0; i < count; i += kMathBlockLanes) {
        const DoublePair x = loadWidened(exponents + i);
        const DoublePair scaledHigh = x * 7.6438561677932739;
        const DoublePair shifted = scaledHigh + kRoundingShift;
        const DoublePair n = shifted - kRoundingShift;
        const DoublePair r = (scaledHigh - n) + x * 2.1981450769835431e-08;
        const DoublePair r2 = r * r;
        const DoublePair r4 = r2 * r2;
        const DoublePair a0 = 1.0 + r * 0.693147180559945309429;
        const DoublePair a1 = 0.240226506959100712341 + r * 0.0555041086648215799578;
        const DoublePair a2 = 0.00961812910762847716249 + r * 0.00133335581464284434239;
        const DoublePair a3 = 0.000154035303933816099553 + r * 1.52527338040598402812e-05;
        const DoublePair a4 = 1.321548679014430949e-06 + r * 1.01780860092396997292e-07;
        const DoublePair a5 = 7.05491162080112333112e-09 + r * 4.44553827187081149844e-10;
        const DoublePair a6 = 2.56784359934882051473e-11 + r * 1.36914888539041288838e-12;
        const DoublePair b0 = a0 + r2 * a1;
        const DoublePair b1 = a2 + r2 * a3;
        const DoublePair b2 = a4 + r2 * a5;
        const DoublePair power = (b0 + r4 * b1) + (r4 * r4) * (b2 + r4 * a6);
        // shifted = 1.5 * 2^52 + n exactly: the difference of the bit patterns is n itself.
        const WidePair whole = sameBits<WidePair>(shifted) - sameBits<int64_t>(kRoundingShift);
        const DoublePair scale = sameBits<DoublePair>((whole + 1023) << 52);
        finishPair(power * scale, x, (x >= -4.0) & (x <= 2.0), out + i, count - i, libraryPowerOf200);
    }
}
