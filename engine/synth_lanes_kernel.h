// The lane kernels for one instruction set: included by synth_lanes.cpp once per target,
// inside a namespace of its own (no include guard on purpose). Everything that must match the
// plain render bit for bit uses plain float and double operations, never fused; only the
// polynomial approximations of the sines fuse where the width has it (`mulAdd`).

// The vector types of N lanes (the compiler takes the sizes only as literals).
template <int N>
struct LaneTypes;
#define ZELVIK_LANE_TYPES(n)                                             \
    template <>                                                          \
    struct LaneTypes<n> {                                                \
        typedef float F __attribute__((vector_size(4 * n)));             \
        typedef int32_t I __attribute__((vector_size(4 * n)));           \
        typedef uint32_t U __attribute__((vector_size(4 * n)));          \
        typedef double D __attribute__((vector_size(8 * n)));            \
        typedef uint64_t UL __attribute__((vector_size(8 * n)));         \
    };
ZELVIK_LANE_TYPES(4)
ZELVIK_LANE_TYPES(8)
ZELVIK_LANE_TYPES(16)
#undef ZELVIK_LANE_TYPES

template <int N>
struct Lanes {
    typedef typename LaneTypes<N>::F F;
    typedef typename LaneTypes<N>::I I;
    typedef typename LaneTypes<N>::U U;
    typedef typename LaneTypes<N>::D D;
    typedef typename LaneTypes<N>::UL UL;

    template <typename To, typename From>
    static To sameBits(From from) {
        static_assert(sizeof(To) == sizeof(From), "reinterpretation keeps the size");
        To to;
        std::memcpy(&to, &from, sizeof to);
        return to;
    }
    template <typename V, typename T>
    static V load(const T* p) {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    template <typename V, typename T>
    static void store(T* p, V v) {
        std::memcpy(p, &v, sizeof v);
    }
    // x in every lane (one broadcast; subtracting +0 keeps every value, -0 included).
    static F splat(float x) { return x - F{}; }
    // Whether any lane of a mask is set: one test instruction where the width is native.
    static bool any(I mask) {
#if ZELVIK_X86_LANES
        if constexpr (N == 16 && kNativeLanes >= 16) {
            return _mm512_test_epi32_mask(sameBits<__m512i>(mask), sameBits<__m512i>(mask)) != 0;
        } else if constexpr (N == 8 && kNativeLanes >= 8) {
            return !_mm256_testz_si256(sameBits<__m256i>(mask), sameBits<__m256i>(mask));
        } else if constexpr (N == 4) {
            return _mm_movemask_ps(sameBits<__m128>(mask)) != 0;
        }
#endif
        uint64_t words[N / 2];
        std::memcpy(words, &mask, sizeof words);
        uint64_t all = 0;
        for (int j = 0; j < N / 2; ++j) all |= words[j];
        return all != 0;
    }
    static uint32_t bitsOf(I mask) {
        uint32_t bits = 0;
        for (int j = 0; j < N; ++j) bits |= (mask[j] != 0 ? 1u : 0u) << j;
        return bits;
    }
    static F abs(F x) { return sameBits<F>(sameBits<U>(x) & 0x7FFFFFFFu); }

    // a * b + c, in one rounding where the width has fused multiply-add (AVX2 and AVX-512),
    // otherwise in two. Only for the approximations: the widths then differ in the last
    // bits of the waves, never in the exact parts.
    static F mulAdd(F a, F b, F c) {
#if ZELVIK_X86_LANES
        if constexpr (kNativeLanes >= 8 && N == 16 && kNativeLanes >= 16) {
            return sameBits<F>(_mm512_fmadd_ps(sameBits<__m512>(a), sameBits<__m512>(b), sameBits<__m512>(c)));
        } else if constexpr (kNativeLanes >= 8 && N == 16) {
            typedef Lanes<8> Half;
            const typename Half::F low = Half::mulAdd(__builtin_shufflevector(a, a, 0, 1, 2, 3, 4, 5, 6, 7),
                                                      __builtin_shufflevector(b, b, 0, 1, 2, 3, 4, 5, 6, 7),
                                                      __builtin_shufflevector(c, c, 0, 1, 2, 3, 4, 5, 6, 7));
            const typename Half::F high = Half::mulAdd(__builtin_shufflevector(a, a, 8, 9, 10, 11, 12, 13, 14, 15),
                                                       __builtin_shufflevector(b, b, 8, 9, 10, 11, 12, 13, 14, 15),
                                                       __builtin_shufflevector(c, c, 8, 9, 10, 11, 12, 13, 14, 15));
            return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        } else if constexpr (kNativeLanes >= 8 && N == 8) {
            return sameBits<F>(_mm256_fmadd_ps(sameBits<__m256>(a), sameBits<__m256>(b), sameBits<__m256>(c)));
        } else if constexpr (kNativeLanes >= 8 && N == 4) {
            return sameBits<F>(_mm_fmadd_ps(sameBits<__m128>(a), sameBits<__m128>(b), sameBits<__m128>(c)));
        }
#endif
        return a * b + c;
    }
    static D mulAdd(D a, D b, D c) {
#if ZELVIK_X86_LANES
        if constexpr (sizeof(D) == 64 && kNativeLanes >= 16) {
            return sameBits<D>(_mm512_fmadd_pd(sameBits<__m512d>(a), sameBits<__m512d>(b), sameBits<__m512d>(c)));
        } else if constexpr (sizeof(D) == 32 && kNativeLanes >= 8) {
            return sameBits<D>(_mm256_fmadd_pd(sameBits<__m256d>(a), sameBits<__m256d>(b), sameBits<__m256d>(c)));
        }
#endif
        return a * b + c;
    }
    static D mulAdd(D a, double b, double c) { return mulAdd(a, b - D{}, c - D{}); }
    static F mulAdd(F a, float b, float c) { return mulAdd(a, splat(b), splat(c)); }
    static F mulAdd(float a, F b, float c) { return mulAdd(splat(a), b, splat(c)); }

    // sin and cos of a float angle 0..2 pi: the quarter turn taken off in three parts (the
    // first with 8 bits, so k times it is exact), then the classic single-precision kernels
    // on |r| <= pi/4. Out-of-range angles give wrong values but defined behaviour.
    static void sinCos(F theta, F& s, F& c) {
        // Adding 1.5 * 2^23 rounds the quadrant count to a whole number, which then sits in
        // the low bits of the sum: no conversions and no clamping.
        constexpr float kRounder = 12582912.0f;
        const F rounded = mulAdd(theta, 0.63661975f, kRounder);
        const F kq = rounded - kRounder;
        const I k = sameBits<I>(rounded);
        // The first product is exact; fusing the other two only makes them closer.
        const F r = mulAdd(kq, -2.5632829e-12f - F{}, mulAdd(kq, -4.8382679e-4f - F{}, theta - kq * 1.5703125f));
        const F z = r * r;
        const F sp = mulAdd(mulAdd(-1.9515295891e-4f, z, 8.3321608736e-3f), z, splat(-1.6666654611e-1f));
        const F sr = mulAdd(sp * z, r, r);
        const F cp = mulAdd(mulAdd(2.443315711809948e-5f, z, -1.388731625493765e-3f), z, splat(4.166664568298827e-2f));
        const F cr = mulAdd(cp * z, z, -(0.5f * z)) + 1.0f;
        if constexpr (kNativeLanes >= 8) {
            // Turned by k quarter turns: the sine and cosine of k pi / 2 (each 0 or +-1, so
            // every product and sum is exact) come from one lookup each.
            const F sq = quarterTurns(k, 0.0f, 1.0f, 0.0f, -1.0f);
            const F cq = quarterTurns(k, 1.0f, 0.0f, -1.0f, 0.0f);
            s = mulAdd(sr, cq, cr * sq);
            c = mulAdd(cr, cq, -(sr * sq));
        } else {
            const I odd = -(k & 1);
            const F sv = odd ? cr : sr;
            const F cv = odd ? sr : cr;
            s = sameBits<F>(sameBits<U>(sv) ^ (sameBits<U>(k & 2) << 30));
            c = sameBits<F>(sameBits<U>(cv) ^ (sameBits<U>((k + 1) & 2) << 30));
        }
    }

    // {q0, q1, q2, q3}[k & 3] per lane, by one permute (the widths with AVX2 or more).
    static F quarterTurns(I k, float q0, float q1, float q2, float q3) {
#if ZELVIK_X86_LANES
        if constexpr (N == 16 && kNativeLanes >= 16) {
            const __m512 table = _mm512_setr_ps(q0, q1, q2, q3, q0, q1, q2, q3, q0, q1, q2, q3, q0, q1, q2, q3);
            return sameBits<F>(_mm512_permutexvar_ps(sameBits<__m512i>(k), table));
        } else if constexpr (N == 8 && kNativeLanes >= 8) {
            const __m256 table = _mm256_setr_ps(q0, q1, q2, q3, q0, q1, q2, q3);
            return sameBits<F>(_mm256_permutevar8x32_ps(table, sameBits<__m256i>(k)));
        } else if constexpr (N == 4 && kNativeLanes >= 8) {
            return sameBits<F>(_mm_permutevar_ps(_mm_setr_ps(q0, q1, q2, q3), sameBits<__m128i>(k)));
        } else if constexpr (N == 16 && kNativeLanes >= 8) {
            typedef Lanes<8> Half;
            const typename Half::F low =
                Half::quarterTurns(__builtin_shufflevector(k, k, 0, 1, 2, 3, 4, 5, 6, 7), q0, q1, q2, q3);
            const typename Half::F high =
                Half::quarterTurns(__builtin_shufflevector(k, k, 8, 9, 10, 11, 12, 13, 14, 15), q0, q1, q2, q3);
            return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        }
#endif
        const float table[4] = {q0, q1, q2, q3};
        F out;
        for (int j = 0; j < N; ++j) out[j] = table[k[j] & 3];
        return out;
    }

    // The wave of `shape` at phases x. The angles 4 pi x and 8 pi x are exactly twice and
    // four times the 2 pi x angle, so their sines come by angle doubling; 6 pi is not three
    // times 2 pi in float, so the triple angle is moved by the difference.
    __attribute__((always_inline)) static F wave(int32_t shape, const SynthOscillator& oscillator, F x) {
        using namespace oscillator_detail;
        if (shape >= kNoise && shape <= kNoise3) {
            const float* table = shape == kNoise ? oscillator.noise0 : (shape == kNoise2 ? oscillator.noise1 : oscillator.noise2);
            F out;
            for (int j = 0; j < N; ++j) out[j] = table[noiseIndex(x[j])];
            return out;
        }
        switch (shape) {
        case kSaw: return x < 0.25f ? 4.0f * x : (x <= 0.75f ? 2.0f - 4.0f * x : 4.0f * x - 4.0f);
        case kRamp: return x <= 0.5f ? 2.0f * x : 2.0f * x - 2.0f;
        case kSawSqu: {
            const F h = halfTriangle(x);
            return x < 0.5f ? h + 0.5f : h - 0.5f;
        }
        case kSquare: return x < 0.5f ? splat(1.0f) : splat(-1.0f);
        default: break;
        }
        const F theta = kTwoPi * x;
        F s1, c1;
        sinCos(theta, s1, c1);
        switch (shape) {
        case kSinsaw: return halfTriangle(x) + 0.5f * s1;
        case kSinSqu: {
            const F halfSine = 0.5f * s1;
            return x < 0.5f ? halfSine + 0.5f : halfSine - 0.5f;
        }
        case kAbsSin: return 2.0f * abs(s1) - 1.0f;
        case kSin12:
        case kSin123:
        case kSin124: break;
        default: return s1;
        }
        const F twiceSine = s1 + s1;
        const F s2 = twiceSine * c1;
        if (shape == kSin12) return (s1 + s2) * 0.5f;
        const F c2 = mulAdd(-twiceSine, s1, splat(1.0f));
        if (shape == kSin124) return mulAdd(s2 + s2, c2, s1 + s2) * 0.33333334f;
        F s3 = mulAdd(s2, c1, c2 * s1);
        const F c3 = mulAdd(c2, c1, -(s2 * s1));
        // The difference between the rule's 6 pi angle and 3 theta (a few 1e-7), exactly:
        // both subtractions take numbers within a factor of two of each other.
        const F delta = (kSixPi * x - (theta + theta)) - theta;
        s3 = mulAdd(delta, c3, s3);
        return (s1 + s2 + s3) * 0.33333334f;
    }

    // A phase after its step: one less from one up, and only the fraction if that is still
    // one or more (a step of a cycle or more).
    static F wrapPhase(F advanced) {
        const I wraps = advanced >= 1.0f;
#if ZELVIK_X86_LANES
        // Where the width rounds down in one instruction, the fraction serves both cases: it
        // equals the phase less one below two.
        if constexpr (N == 16 && kNativeLanes >= 16) {
            return wraps ? advanced - sameBits<F>(_mm512_floor_ps(sameBits<__m512>(advanced))) : advanced;
        } else if constexpr (N == 8 && kNativeLanes >= 8) {
            return wraps ? advanced - sameBits<F>(_mm256_floor_ps(sameBits<__m256>(advanced))) : advanced;
        } else if constexpr (N == 4 && kNativeLanes >= 8) {
            return wraps ? advanced - sameBits<F>(_mm_floor_ps(sameBits<__m128>(advanced))) : advanced;
        }
#endif
        F wrapped = wraps ? advanced - 1.0f : advanced;
        if (__builtin_expect(any(wrapped >= 1.0f), 0)) {
            for (int j = 0; j < N; ++j) {
                if (wrapped[j] >= 1.0f) wrapped[j] -= std::floor(wrapped[j]);
            }
        }
        return wrapped;
    }

    static F halfTriangle(F x) { return x < 0.25f ? 2.0f * x : (x <= 0.75f ? 1.0f - 2.0f * x : 2.0f * x - 2.0f); }

    // 200^c = 2^n * 2^(c log2(200) - n), with n whole: the fraction's power in double (well
    // inside a float rounding), rounded once to float, then scaled exactly. The filter at low
    // cutoff magnifies any error in its coefficient.
    static F powerOf200(F c) {
        c = c < -21.0f ? splat(-21.0f) : c;  // beyond float range either way; NaN stays NaN
        c = c > 21.0f ? splat(21.0f) : c;
        // Adding 1.5 * 2^23 rounds to a whole number, which then sits in the low bits.
        constexpr float kRounder = 12582912.0f;
        const F rounded = c * 7.643856f + kRounder;
        const F n = rounded - kRounder;
        const F power = powerOfFraction(c, n);
        // Two steps, each within the exponent range, so that only the result can leave it.
        const I whole = sameBits<I>(rounded) - sameBits<int32_t>(kRounder);
        const I firstHalf = whole >> 1;
        const U firstScale = sameBits<U>(firstHalf + 127) << 23;
        const U secondScale = sameBits<U>(whole - firstHalf + 127) << 23;
        return power * sameBits<F>(firstScale) * sameBits<F>(secondScale);
    }
    // 2^(c log2(200) - n) for |c log2(200) - n| <= 0.502, in double.
    static F powerOfFraction(F c, F n) {
        if constexpr (N > 4 && N > kNativeLanes / 2) {
            // Doubles of half the lanes fill a native register: two halves, each native.
            typedef Lanes<N / 2> Half;
            if constexpr (N == 16) {
                const typename Half::F low =
                    Half::powerOfFraction(__builtin_shufflevector(c, c, 0, 1, 2, 3, 4, 5, 6, 7),
                                          __builtin_shufflevector(n, n, 0, 1, 2, 3, 4, 5, 6, 7));
                const typename Half::F high =
                    Half::powerOfFraction(__builtin_shufflevector(c, c, 8, 9, 10, 11, 12, 13, 14, 15),
                                          __builtin_shufflevector(n, n, 8, 9, 10, 11, 12, 13, 14, 15));
                return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
            } else {
                const typename Half::F low = Half::powerOfFraction(__builtin_shufflevector(c, c, 0, 1, 2, 3),
                                                                   __builtin_shufflevector(n, n, 0, 1, 2, 3));
                const typename Half::F high = Half::powerOfFraction(__builtin_shufflevector(c, c, 4, 5, 6, 7),
                                                                    __builtin_shufflevector(n, n, 4, 5, 6, 7));
                return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
            }
        }
        // The fraction to a double rounding where the width fuses, within 1e-14 where not.
        const D r = mulAdd(widened(c), 7.643856189774724 - D{}, -widened(n));
        // A near-minimax fit, within 1.2e-12 relative: about one float result in hundreds of
        // thousands rounds the other way from the exact power.
        // In pairs (Estrin), for a short chain: the next samples' coefficients overlap the filter.
        const D r2 = r * r;
        const D r4 = r2 * r2;
        const D p01 = mulAdd(r, 0.69314718054547808, 0.99999999999999978);
        const D p23 = mulAdd(r, 0.055504109430199164, 0.24022650695809827);
        const D p45 = mulAdd(r, 0.0013333448833360868, 0.009618129160689633);
        const D p67 = mulAdd(r, 1.5310540140930471e-05, 0.00015403454625810054);
        const D p8 = 1.3255549437812708e-06 - D{};
        const D p = mulAdd(r4, mulAdd(r4, p8, mulAdd(r2, p67, p45)), mulAdd(r2, p23, p01));
        return narrowed(p);
    }
    // Float lanes to double lanes and back, in one instruction where the width has it.
    static D widened(F x) {
#if ZELVIK_X86_LANES
        if constexpr (N == 8 && kNativeLanes >= 16) {
            return sameBits<D>(_mm512_cvtps_pd(sameBits<__m256>(x)));
        } else if constexpr (N == 4 && kNativeLanes >= 8) {
            return sameBits<D>(_mm256_cvtps_pd(sameBits<__m128>(x)));
        }
#endif
        return __builtin_convertvector(x, D);
    }
    static F narrowed(D x) {
#if ZELVIK_X86_LANES
        if constexpr (N == 8 && kNativeLanes >= 16) {
            return sameBits<F>(_mm512_cvtpd_ps(sameBits<__m512d>(x)));
        } else if constexpr (N == 4 && kNativeLanes >= 8) {
            return sameBits<F>(_mm256_cvtpd_ps(sameBits<__m256d>(x)));
        }
#endif
        return __builtin_convertvector(x, F);
    }

    // Rows become columns, for N vectors of N: at each step, the blocks of `Half` off the
    // diagonal of each pair of rows `Half` apart change places.
    template <int Half, size_t... J>
    static void swapBlocks(F& upper, F& lower, std::index_sequence<J...>) {
        const F top = __builtin_shufflevector(upper, lower, ((J & Half) == 0 ? J : N + J - Half)...);
        lower = __builtin_shufflevector(upper, lower, ((J & Half) == 0 ? J + Half : N + J)...);
        upper = top;
    }
    template <int Half>
    static void transpose(F (&rows)[N]) {
        for (int i = 0; i < N; ++i) {
            if ((i & Half) == 0) swapBlocks<Half>(rows[i], rows[i + Half], std::make_index_sequence<N>());
        }
        if constexpr (Half > 1) transpose<Half / 2>(rows);
    }

    static I maskOf(uint32_t bits, int first) {
        I mask;
        for (int j = 0; j < N; ++j) mask[j] = (bits >> (first + j)) & 1u ? -1 : 0;
        return mask;
    }

    static constexpr int kChunk = 32;
    // Per sample of a chunk and per lane: the voice after its filter.
    struct Chunk {
        alignas(64) float out[kChunk][kSynthVoiceCount];
        alignas(64) float waves[kSynthOscillatorCount][kChunk][kSynthVoiceCount];
    };
    // One oscillator's phase state for one group of lanes during a chunk.
    struct OscillatorLanes {
        F phase, increment, target, arpFactor;
        I rendering;
    };

    template <int32_t Shape, bool Glides>
    static void oscillatorRun(const SynthOscillator& oscillator, OscillatorLanes& state, const LaneRun& run,
                              int samples, float (*out)[kSynthVoiceCount], int first);
    template <int32_t... Shapes>
    static void oscillatorRunOf(int32_t shape, bool glides, const SynthOscillator& oscillator, OscillatorLanes& state,
                                const LaneRun& run, int samples, float (*out)[kSynthVoiceCount], int first,
                                std::integer_sequence<int32_t, Shapes...>);

    static int eventFreeSamples(VoiceLanes& lanes, const LaneRun& run, int groups, int wanted);
    static bool farFromEvents(F amp, F ampStep, F ampSustain, I attack, I decay, I holds, I stepping, F env, F envStep,
                              F envSustain, I envAttack, I envDecay, I envHolds, I envStale, I rendering, bool filterOn,
                              int samples);
    static void voicesOfGroup(VoiceLanes& lanes, const LaneRun& run, int g, int offset, int samples, Chunk& chunk);
    static int renderRun(VoiceLanes& lanes, const LaneRun& run, int frames);
};

// How many of the next `wanted` samples pass without an envelope event or a lane starting
// or stopping to render: the envelopes stepped ahead without keeping anything. The first
// time, the rendering lanes are learnt from the first sample.
template <int N>
int Lanes<N>::eventFreeSamples(VoiceLanes& lanes, const LaneRun& run, int groups, int wanted) {
    int samples = wanted;
    uint32_t learnt = 0;
    for (int g = 0; g < groups; ++g) {
        const int first = g * N;
        F amp = load<F>(lanes.ampValue + first), env = load<F>(lanes.envValue + first);
        const F ampStep = load<F>(lanes.ampStep + first), ampSustain = load<F>(lanes.ampSustain + first);
        const I ampStage = load<I>(lanes.ampStage + first), stepping = load<I>(lanes.ampStepping + first);
        const F envStep = load<F>(lanes.envStep + first), envSustain = load<F>(lanes.envSustain + first);
        const I envStage = load<I>(lanes.envStage + first), envMode = load<I>(lanes.envMode + first);
        const I attack = stepping & (ampStage == 0), decay = stepping & (ampStage == 1), holds = ampStage == 2;
        const I envSteps = envMode == kLaneEnvelopeStepping, envStale = envMode == kLaneEnvelopeStale;
        const I envAttack = envSteps & (envStage == 0), envDecay = envSteps & (envStage == 1), envHolds = envStage == 2;
        I rendering = maskOf(lanes.rendering, first);
        // With every amplitude holding or waiting and every filter envelope holding, nothing
        // moves after the first sample: what it shows holds for the whole run.
        const I moves = (stepping & ~holds) | (run.filterOn ? envSteps & ~envHolds : I{});
        int checked = any(moves) ? samples : std::min(samples, 1);
        if (checked > 1 && lanes.renderingKnown &&
            farFromEvents(amp, ampStep, ampSustain, attack, decay, holds, stepping, env, envStep, envSustain, envAttack,
                          envDecay, envHolds, envStale, rendering, run.filterOn, checked)) {
            checked = 0;
        }
        for (int s = 0; s < checked; ++s) {
            const F ampNext = holds ? amp : amp + ampStep;
            I event = (attack & (ampNext >= 1.0f)) | (decay & (ampNext <= ampSustain));
            const I renders = stepping & ((stepping ? ampNext : 0.0f) > 0.0f);
            F envNext = env;
            if (run.filterOn) {
                envNext = envHolds ? env : env + envStep;
                event |= renders & (envStale | (envAttack & (envNext >= 1.0f)) | (envDecay & (envNext <= envSustain)));
            }
            if (s == 0 && !lanes.renderingKnown) {
                rendering = renders;
            } else {
                event |= renders ^ rendering;
            }
            if (any(event)) {
                samples = s;
                break;
            }
            amp = stepping ? ampNext : amp;
            env = renders & envSteps ? envNext : env;
        }
        learnt |= bitsOf(rendering) << first;
    }
    if (samples > 0 && !lanes.renderingKnown) {
        lanes.rendering = learnt;
        lanes.renderingKnown = true;
    }
    return samples;
}

// One oscillator's waves over a chunk for one group of lanes, with its shape fixed at compile
// time: the loop has no branch, and its only chain from sample to sample is the phase.
template <int N>
template <int32_t Shape, bool Glides>
void Lanes<N>::oscillatorRun(const SynthOscillator& oscillator, OscillatorLanes& state, const LaneRun& run, int samples,
                             float (*out)[kSynthVoiceCount], int first) {
    F phase = state.phase, increment = state.increment;
    const F target = state.target, arpFactor = state.arpFactor;
    const I rendering = state.rendering;
    for (int s = 0; s < samples; ++s) {
        store(out[s] + first, wave(Shape, oscillator, phase));
        const F advanced = wrapPhase(phase + arpFactor * increment);
        phase = rendering ? advanced : phase;
        if constexpr (Glides) {
            const F glided = increment + (target - increment) * run.portaCoef;
            increment = rendering ? glided : increment;
        }
    }
    state.phase = phase;
    state.increment = increment;
}

template <int N>
template <int32_t... Shapes>
void Lanes<N>::oscillatorRunOf(int32_t shape, bool glides, const SynthOscillator& oscillator, OscillatorLanes& state,
                               const LaneRun& run, int samples, float (*out)[kSynthVoiceCount], int first,
                               std::integer_sequence<int32_t, Shapes...>) {
    typedef void (*Run)(const SynthOscillator&, OscillatorLanes&, const LaneRun&, int, float(*)[kSynthVoiceCount], int);
    static constexpr Run kRuns[2][sizeof...(Shapes)] = {{&oscillatorRun<Shapes, false>...},
                                                        {&oscillatorRun<Shapes, true>...}};
    // Any other shape number is the plain sine, as in the slow form.
    const int32_t known = shape >= 0 && shape < static_cast<int32_t>(sizeof...(Shapes)) ? shape : 0;
    kRuns[glides ? 1 : 0][known](oscillator, state, run, samples, out, first);
}

// Whether a group surely meets no event in the next `samples` samples, without stepping
// through them: an envelope adds the same step every sample, so its values move one way, and
// the last lies within a few float roundings of the value + samples * step. Lanes near a
// threshold (within the margin) leave the answer to the exact sample-by-sample check.
template <int N>
bool Lanes<N>::farFromEvents(F amp, F ampStep, F ampSustain, I attack, I decay, I holds, I stepping, F env, F envStep,
                             F envSustain, I envAttack, I envDecay, I envHolds, I envStale, I rendering, bool filterOn,
                             int samples) {
    constexpr float kMargin = 1.0f / 4096.0f;  // far beyond 32 roundings of values up to 4
    const F count = splat(static_cast<float>(samples));
    // The first next value exactly, the last one estimated: each side widened by the margin.
    const F ampFirst = holds ? amp : amp + ampStep;
    const F ampLast = holds ? amp : amp + count * ampStep;
    const F ampHigh = ampFirst > ampLast + kMargin ? ampFirst : ampLast + kMargin;
    const F ampLow = ampFirst < ampLast - kMargin ? ampFirst : ampLast - kMargin;
    const I renders = stepping & ((stepping ? ampFirst : 0.0f) > 0.0f);
    I near = (attack & (ampHigh >= 1.0f)) | (decay & (ampLow <= ampSustain)) | (renders ^ rendering);
    // A rendering lane must keep rendering, its amplitude above 0 throughout, and a stepping
    // lane that does not render must stay at or below 0.
    near |= (rendering & (ampLow <= 0.0f)) | (stepping & ~rendering & (ampHigh > 0.0f));
    near |= abs(amp) > 4.0f;
    if (filterOn) {
        const F envFirst = envHolds ? env : env + envStep;
        const F envLast = envHolds ? env : env + count * envStep;
        const F envHigh = envFirst > envLast + kMargin ? envFirst : envLast + kMargin;
        const F envLow = envFirst < envLast - kMargin ? envFirst : envLast - kMargin;
        near |= rendering &
                (envStale | (envAttack & (envHigh >= 1.0f)) | (envDecay & (envLow <= envSustain)) | (abs(env) > 4.0f));
    }
    return !any(near);
}

// A chunk of one group of lanes: first each oscillator's waves, then sample by sample the
// envelopes, the mix, the filter coefficients and the filter. The ladder recursion is the one
// chain from sample to sample; the coefficients of the next samples do not wait for it, so in
// one loop the processor overlaps the two.
template <int N>
void Lanes<N>::voicesOfGroup(VoiceLanes& lanes, const LaneRun& run, int g, int offset, int samples, Chunk& chunk) {
    const int first = g * N;
    const I rendering = maskOf(lanes.rendering, first);
    const F arpFactor = run.laneArpFactors ? load<F>(run.laneArpFactors + first) : splat(run.arpFactor);
    OscillatorLanes oscillators[kSynthOscillatorCount];
    int32_t shapes[kSynthOscillatorCount];
    float levels[kSynthOscillatorCount];
    bool multiplies[kSynthOscillatorCount];
    int sharedWith[kSynthOscillatorCount];
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        OscillatorLanes& state = oscillators[o];
        state.phase = load<F>(lanes.phase[o] + first);
        state.increment = load<F>(lanes.increment[o] + first);
        state.target = load<F>(lanes.target[o] + first);
        state.arpFactor = arpFactor;
        state.rendering = rendering;
        shapes[o] = run.oscillators[o].shape;
        levels[o] = run.oscillators[o].level;
        multiplies[o] = run.oscillators[o].multiply;
        // Two oscillators of one pure shape starting from the same phases, increments and
        // targets (as in the default program) keep the same phases and so the same waves.
        sharedWith[o] = -1;
        if (SynthOscillator::readsNoiseTables(shapes[o])) continue;
        for (int p = 0; p < o && sharedWith[o] < 0; ++p) {
            if (sharedWith[p] >= 0 || shapes[p] != shapes[o]) continue;
            const I differs = (sameBits<I>(oscillators[p].phase) != sameBits<I>(state.phase)) |
                              (sameBits<I>(oscillators[p].increment) != sameBits<I>(state.increment)) |
                              (sameBits<I>(oscillators[p].target) != sameBits<I>(state.target));
            if (!any(differs)) sharedWith[o] = p;
        }
    }
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        if (sharedWith[o] >= 0) continue;
        OscillatorLanes& state = oscillators[o];
        // A glide that no longer moves any increment (settled on its target, or a rounding
        // away from it) never moves it again: skip it for the chunk.
        const F glided = state.increment + (state.target - state.increment) * run.portaCoef;
        const bool glides = run.portaOn && any(rendering & (sameBits<I>(glided) != sameBits<I>(state.increment)));
        oscillatorRunOf(shapes[o], glides, run.oscillators[o], state, run, samples, chunk.waves[o], first,
                        std::make_integer_sequence<int32_t, kWaveShapeCount>());
    }

    F amp = load<F>(lanes.ampValue + first), env = load<F>(lanes.envValue + first);
    const F ampStep = load<F>(lanes.ampStep + first);
    const I stepping = load<I>(lanes.ampStepping + first), holds = load<I>(lanes.ampStage + first) == 2;
    const F envStep = load<F>(lanes.envStep + first);
    const I envSteps = load<I>(lanes.envMode + first) == kLaneEnvelopeStepping;
    const I envHolds = load<I>(lanes.envStage + first) == 2;
    const F velocity = load<F>(lanes.velocity + first), resonance = load<F>(lanes.resonance + first);
    F cutoff = load<F>(lanes.cutoff + first), f = load<F>(lanes.f + first);
    F feedback = load<F>(lanes.feedback + first), inputGain = load<F>(lanes.inputGain + first);
    F outputGain = load<F>(lanes.outputGain + first);
    F y[4], x[4];
    for (int k = 0; k < 4; ++k) {
        y[k] = load<F>(lanes.y[k] + first);
        x[k] = load<F>(lanes.x[k] + first);
    }
    const I envRenders = rendering & envSteps;
    const int firstRendering = lanes.rendering != 0 ? __builtin_ctz(lanes.rendering) : 0;
    I laneIndex;
    for (int j = 0; j < N; ++j) laneIndex[j] = first + j;
    const I seeded = laneIndex == firstRendering;
    F damping = 1.0f - f;
    const float(*waveOf[kSynthOscillatorCount])[kSynthVoiceCount];
    for (int o = 0; o < kSynthOscillatorCount; ++o) waveOf[o] = chunk.waves[sharedWith[o] >= 0 ? sharedWith[o] : o];

    // Stage A of a sample: everything but the ladder recursion, which is stage B. The loop
    // runs A one sample ahead of B, so the long chain of A (the power of 200) never waits
    // for the recursion of the same sample nor holds it up.
    struct StageA {
        F voice, damping, feedback, inputGain, outputGain;
    };
    auto stageA = [&](int s) __attribute__((always_inline)) {
        const F ampNext = holds ? amp : amp + ampStep;
        const F amplitude = stepping ? ampNext : 0.0f;
        amp = stepping ? ampNext : amp;

        const float in = run.input ? run.input[offset + s] : 0.0f;
        F acc = seeded ? splat(in) : 0.0f;
        for (int o = 0; o < kSynthOscillatorCount; ++o) {
            const F term = load<F>(waveOf[o][s] + first) * levels[o];
            acc = multiplies[o] ? acc * term : acc + term;
        }
        const F voice = acc * velocity * amplitude;
        if (run.filterOn) {
            const F envNext = envHolds ? env : env + envStep;
            const F level = envSteps ? envNext : 0.0f;
            env = envRenders ? envNext : env;
            const F wanted = run.cutoff + (level - run.cutoff) * run.filterEnvAmount;
            const I changed = rendering & (wanted != cutoff);
            if (any(changed)) {
                const F fc = 0.005f * powerOf200(wanted);
                const F newF = 1.16f * fc;
                const F fSquared = newF * newF;
                const F newFeedback = resonance * 4.0f * (1.0f - 0.15f * fSquared);
                const F newInputGain = 0.35013f * fSquared * fSquared;
                const F newOutputGain = 2.0f * resonance + 1.0f;
                cutoff = changed ? wanted : cutoff;
                f = changed ? newF : f;
                feedback = changed ? newFeedback : feedback;
                inputGain = changed ? newInputGain : inputGain;
                outputGain = changed ? newOutputGain : outputGain;
                damping = 1.0f - f;
            }
        }
        return StageA{voice, damping, feedback, inputGain, outputGain};
    };

    StageA next = stageA(0);
    for (int s = 0; s < samples; ++s) {
        const StageA current = next;
        if (s + 1 < samples) next = stageA(s + 1);
        if (!run.filterOn) {
            store(chunk.out[s] + first, rendering ? current.voice : 0.0f);
            continue;
        }
        // The ladder recursion, every lane computed: lanes that do not render get their
        // state back after the chunk, which keeps selects off the chain.
        const F stageIn = (current.voice - current.feedback * y[3]) * current.inputGain;
        const F y1 = stageIn + 0.3f * x[0] + current.damping * y[0];
        const F y2 = y1 + 0.3f * x[1] + current.damping * y[1];
        const F y3 = y2 + 0.3f * x[2] + current.damping * y[2];
        const F y4 = y3 + 0.3f * x[3] + current.damping * y[3];
        x[0] = stageIn;
        x[1] = y1;
        x[2] = y2;
        x[3] = y3;
        y[0] = y1;
        y[1] = y2;
        y[2] = y3;
        y[3] = y4;
        store(chunk.out[s] + first, rendering ? current.outputGain * y4 : 0.0f);
    }
    for (int k = 0; k < 4; ++k) {
        store(lanes.y[k] + first, rendering ? y[k] : load<F>(lanes.y[k] + first));
        store(lanes.x[k] + first, rendering ? x[k] : load<F>(lanes.x[k] + first));
    }

    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        const OscillatorLanes& from = oscillators[sharedWith[o] >= 0 ? sharedWith[o] : o];
        store(lanes.phase[o] + first, from.phase);
        store(lanes.increment[o] + first, from.increment);
    }
    store(lanes.ampValue + first, amp);
    store(lanes.envValue + first, env);
    store(lanes.cutoff + first, cutoff);
    store(lanes.f + first, f);
    store(lanes.feedback + first, feedback);
    store(lanes.inputGain + first, inputGain);
    store(lanes.outputGain + first, outputGain);
}

template <int N>
int Lanes<N>::renderRun(VoiceLanes& lanes, const LaneRun& run, int frames) {
    const int groups = (lanes.count + N - 1) / N;
    Chunk chunk;
    int done = 0;
    while (done < frames) {
        const int wanted = std::min(kChunk, frames - done);
        const int samples = eventFreeSamples(lanes, run, groups, wanted);
        if (samples == 0) break;
        for (int g = 0; g < groups; ++g) voicesOfGroup(lanes, run, g, done, samples, chunk);
        // Voice outputs summed in voice order, as the rule adds them. Lanes past the last
        // rendering one hold +0, which leaves a sum that starts at +0 unchanged.
        const int lanesToSum = lanes.rendering != 0 ? 32 - __builtin_clz(lanes.rendering) : 0;
        int s = 0;
        // N samples at a time: each group's square turned so that each vector holds one
        // voice, the sums of N samples grow side by side, each in voice order.
        for (; s + N <= samples; s += N) {
            F sum = F{};
            for (int first = 0; first < lanesToSum; first += N) {
                F voices[N];
                for (int j = 0; j < N; ++j) voices[j] = load<F>(chunk.out[s + j] + first);
                transpose<N / 2>(voices);
                for (int j = 0; j < N && first + j < lanesToSum; ++j) sum += voices[j];
            }
            store(run.out + done + s, sum);
        }
        for (; s < samples; ++s) {
            float sum = 0.0f;
            for (int j = 0; j < lanesToSum; ++j) sum += chunk.out[s][j];
            run.out[done + s] = sum;
        }
        done += samples;
        if (samples < wanted) break;
    }
    return done;
}

int renderRun(VoiceLanes& lanes, const LaneRun& run, int frames) {
    // Groups of the native width; a few voices take one narrow group.
    if (lanes.count <= 4 || kNativeLanes == 4) return Lanes<4>::renderRun(lanes, run, frames);
    if (lanes.count <= 8 || kNativeLanes == 8) return Lanes<8>::renderRun(lanes, run, frames);
    return Lanes<16>::renderRun(lanes, run, frames);
}

void waves(int32_t shape, const SynthOscillator& oscillator, const float* phases, float* out) {
    typedef Lanes<kSynthVoiceCount> Full;
    Full::store(out, Full::wave(shape, oscillator, Full::load<Full::F>(phases)));
}

void powersOf200(const float* exponents, float* out) {
    typedef Lanes<kSynthVoiceCount> Full;
    Full::store(out, Full::powerOf200(Full::load<Full::F>(exponents)));
}
