// The block sine and power for one lane count: included once per width by
// synth_math_block.cpp, inside a namespace that defines kLanes (no include guard on purpose).
// Each lane performs exactly the operations of extendedSin and powerOf200, in their order.

typedef double DoubleLanes __attribute__((vector_size(8 * kLanes)));
typedef int64_t WideLanes __attribute__((vector_size(8 * kLanes)));
// Bit patterns are shifted and subtracted unsigned, where wrapping is defined.
typedef uint64_t BitLanes __attribute__((vector_size(8 * kLanes)));
typedef int32_t NarrowLanes __attribute__((vector_size(8 * kLanes)));
typedef float FloatLanes __attribute__((vector_size(4 * kLanes)));

template <typename To, typename From>
inline To sameBits(From from) {
    static_assert(sizeof(To) == sizeof(From), "reinterpretation keeps the size");
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

// Rounds every lane to float, except where the single form calls the library: outside the
// fast range (inRange false), and where nearFloatRoundingBoundary holds. Writes `lanes`.
inline void finishLanes(DoubleLanes y, DoubleLanes x, WideLanes inRange, float* out, int lanes,
                        double (*library)(double)) {
    // The boundary test looks at the low 29 bits only: 32-bit lanes, the even ones.
    NarrowLanes lowHalves = {};
    for (int j = 0; j < 2 * kLanes; j += 2) lowHalves[j] = -1;
    const NarrowLanes belowFloat = sameBits<NarrowLanes>(y) & 0x1FFFFFFF;
    const NarrowLanes offset = belowFloat - (0x10000000 - 255);  // distance < 256: 0 <= offset < 511
    const NarrowLanes nearBoundary = (offset >= 0) & (offset < 511) & lowHalves;
    const DoubleLanes magnitude = sameBits<DoubleLanes>(sameBits<WideLanes>(y) & INT64_MAX);
    const WideLanes slow = ~inRange | sameBits<WideLanes>(nearBoundary) | (magnitude < 1e-30);
    const FloatLanes rounded = __builtin_convertvector(y, FloatLanes);
    int64_t anySlow = 0;
    for (int j = 0; j < kLanes; ++j) anySlow |= slow[j];
    if (lanes == kLanes && anySlow == 0) {
        std::memcpy(out, &rounded, sizeof rounded);
        return;
    }
    for (int j = 0; j < lanes; ++j) {
        out[j] = slow[j] != 0 ? static_cast<float>(library(x[j])) : rounded[j];
    }
}

// Lanes i .. i + kLanes - 1 of `values` widened; past `count` the lanes read 1.0.
inline DoubleLanes loadWidened(const float* values, int i, int count) {
    FloatLanes narrow;
    if (count - i >= kLanes) {
        std::memcpy(&narrow, values + i, sizeof narrow);
    } else {
        for (int j = 0; j < kLanes; ++j) narrow[j] = i + j < count ? values[i + j] : 1.0f;
    }
    return __builtin_convertvector(narrow, DoubleLanes);
}

inline int lanesFrom(int i, int count) {
    return count - i < kLanes ? count - i : kLanes;
}

void extendedSinBlock(const float* angles, float* out, int count) {
    using namespace synth_math_detail;
    for (int i = 0; i < count; i += kLanes) {
        const DoubleLanes a = loadWidened(angles, i, count);
        const DoubleLanes shifted = a * 6.36619772367581382433e-01 + kRoundingShift;
        const DoubleLanes k = shifted - kRoundingShift;
        const DoubleLanes r = (a - k * 1.57079632673412561417e+00) - k * 6.07710050650619224932e-11;
        // shifted = 1.5 * 2^52 + k exactly, so its low bits are k's (k >= 0 in the fast range).
        const WideLanes quadrant = sameBits<WideLanes>(shifted);
        const DoubleLanes z = r * r;
        const DoubleLanes z2 = z * z;
        const DoubleLanes sinLow = -1.66666666666666324348e-01 + z * 8.33333333332248946124e-03;
        const DoubleLanes sinMid = -1.98412698298579493134e-04 + z * 2.75573137070700676789e-06;
        const DoubleLanes sinHigh = -2.50507602534068634195e-08 + z * 1.58969099521155010221e-10;
        const DoubleLanes sine = r + r * z * (sinLow + z2 * (sinMid + z2 * sinHigh));
        const DoubleLanes cosLow = 4.16666666666666019037e-02 + z * -1.38888888888741095749e-03;
        const DoubleLanes cosMid = 2.48015872894767294178e-05 + z * -2.75573143513906633035e-07;
        const DoubleLanes cosHigh = 2.08757232129817482790e-09 + z * -1.13596475577881948265e-11;
        const DoubleLanes cosine = 1.0 - 0.5 * z + z2 * (cosLow + z2 * (cosMid + z2 * cosHigh));
        // Odd quadrants take the cosine, the upper two flip the sign: masks, not branches.
        const WideLanes odd = -(quadrant & 1);
        const WideLanes sign = sameBits<WideLanes>(sameBits<BitLanes>(quadrant & 2) << 62);
        const WideLanes chosen =
            ((sameBits<WideLanes>(cosine) & odd) | (sameBits<WideLanes>(sine) & ~odd)) ^ sign;
        finishLanes(sameBits<DoubleLanes>(chosen), a, (a >= 0.0) & (a <= 26.0), out + i, lanesFrom(i, count),
                    librarySin);
    }
}

void powerOf200Block(const float* exponents, float* out, int count) {
    using namespace synth_math_detail;
    for (int i = 0; i < count; i += kLanes) {
        const DoubleLanes x = loadWidened(exponents, i, count);
        const DoubleLanes scaledHigh = x * 7.6438561677932739;
        const DoubleLanes shifted = scaledHigh + kRoundingShift;
        const DoubleLanes n = shifted - kRoundingShift;
        const DoubleLanes r = (scaledHigh - n) + x * 2.1981450769835431e-08;
        const DoubleLanes r2 = r * r;
        const DoubleLanes r4 = r2 * r2;
        const DoubleLanes a0 = 1.0 + r * 0.693147180559945309429;
        const DoubleLanes a1 = 0.240226506959100712341 + r * 0.0555041086648215799578;
        const DoubleLanes a2 = 0.00961812910762847716249 + r * 0.00133335581464284434239;
        const DoubleLanes a3 = 0.000154035303933816099553 + r * 1.52527338040598402812e-05;
        const DoubleLanes a4 = 1.321548679014430949e-06 + r * 1.01780860092396997292e-07;
        const DoubleLanes a5 = 7.05491162080112333112e-09 + r * 4.44553827187081149844e-10;
        const DoubleLanes a6 = 2.56784359934882051473e-11 + r * 1.36914888539041288838e-12;
        const DoubleLanes b0 = a0 + r2 * a1;
        const DoubleLanes b1 = a2 + r2 * a3;
        const DoubleLanes b2 = a4 + r2 * a5;
        const DoubleLanes power = (b0 + r4 * b1) + (r4 * r4) * (b2 + r4 * a6);
        // shifted = 1.5 * 2^52 + n exactly: the difference of the bit patterns is n itself.
        // Lanes outside the fast range wrap here harmlessly: finishLanes does not use them.
        const BitLanes whole = sameBits<BitLanes>(shifted) - sameBits<uint64_t>(kRoundingShift);
        const DoubleLanes scale = sameBits<DoubleLanes>((whole + uint64_t{1023}) << 52);
        finishLanes(power * scale, x, (x >= -4.0) & (x <= 2.0), out + i, lanesFrom(i, count),
                    libraryPowerOf200);
    }
}
