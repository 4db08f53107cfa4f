// The lane kernels for one instruction set: included by synth_lanes.cpp once per target,
// inside a namespace of its own (no include guard on purpose). Only plain float and double
// operations, never fused, so every width computes the same bits.

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
    static F splat(float x) {
        F v;
        for (int j = 0; j < N; ++j) v[j] = x;
        return v;
    }
    static bool any(I mask) {
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

    // sin and cos of a float angle 0..2 pi: the quarter turn taken off in three parts (the
    // first with 8 bits, so k times it is exact), then the classic single-precision kernels
    // on |r| <= pi/4. Out-of-range angles give wrong values but defined behaviour.
    static void sinCos(F theta, F& s, F& c) {
        F kf = theta * 0.63661975f + 0.5f;
        kf = kf > 0.0f ? kf : 0.0f;
        kf = kf < 8.0f ? kf : 8.0f;
        const I k = __builtin_convertvector(kf, I);
        const F kq = __builtin_convertvector(k, F);
        const F r = ((theta - kq * 1.5703125f) - kq * 4.8382679e-4f) - kq * 2.5632829e-12f;
        const F z = r * r;
        const F sr = ((-1.9515295891e-4f * z + 8.3321608736e-3f) * z - 1.6666654611e-1f) * z * r + r;
        const F cr = ((2.443315711809948e-5f * z - 1.388731625493765e-3f) * z + 4.166664568298827e-2f) * z * z -
                     0.5f * z + 1.0f;
        const I odd = -(k & 1);
        const F sv = odd ? cr : sr;
        const F cv = odd ? sr : cr;
        s = sameBits<F>(sameBits<U>(sv) ^ (sameBits<U>(k & 2) << 30));
        c = sameBits<F>(sameBits<U>(cv) ^ (sameBits<U>((k + 1) & 2) << 30));
    }

    // The wave of `shape` at phases x. The angles 4 pi x and 8 pi x are exactly twice and
    // four times the 2 pi x angle, so their sines come by angle doubling; 6 pi is not three
    // times 2 pi in float, so the triple angle is moved by the difference.
    static F wave(int32_t shape, const SynthOscillator& oscillator, F x) {
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
        const F s2 = 2.0f * s1 * c1;
        if (shape == kSin12) return (s1 + s2) * 0.5f;
        const F c2 = 1.0f - 2.0f * s1 * s1;
        if (shape == kSin124) return (s1 + s2 + 2.0f * s2 * c2) * 0.33333334f;
        F s3 = s2 * c1 + c2 * s1;
        const F c3 = c2 * c1 - s2 * s1;
        // The exact difference between the rule's 6 pi angle and 3 theta (a few 1e-7).
        const F twice = theta + theta;
        const F thrice = twice + theta;
        const F roundingError = theta - (thrice - twice);
        const F delta = (kSixPi * x - thrice) - roundingError;
        s3 = s3 + delta * c3;
        return (s1 + s2 + s3) * 0.33333334f;
    }

    static F halfTriangle(F x) { return x < 0.25f ? 2.0f * x : (x <= 0.75f ? 1.0f - 2.0f * x : 2.0f * x - 2.0f); }

    // 200^c in double (well inside a float rounding), rounded once to float: the filter
    // at low cutoff magnifies any error in its coefficient.
    static F powerOf200(F c) {
        constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52: rounds to an integer
        D s = __builtin_convertvector(c, D) * 7.643856189774724;
        s = s > 160.0 ? 160.0 : s;  // beyond float range either way; NaN stays NaN
        s = s < -160.0 ? -160.0 : s;
        const D shifted = s + kShift;
        const D n = shifted - kShift;
        const D r = s - n;
        const D r2 = r * r;
        const D r4 = r2 * r2;
        const D a0 = 1.0 + r * 0.693147180559945309429;
        const D a1 = 0.240226506959100712341 + r * 0.0555041086648215799578;
        const D a2 = 0.00961812910762847716249 + r * 0.00133335581464284434239;
        const D a3 = 0.000154035303933816099553 + r * 1.52527338040598402812e-05;
        const D a4 = 1.321548679014430949e-06 + r * 1.01780860092396997292e-07;
        const D power = (a0 + r2 * a1) + r4 * ((a2 + r2 * a3) + r4 * a4);
        // shifted = 1.5 * 2^52 + n exactly, so the bit patterns differ by n.
        const UL whole = sameBits<UL>(shifted) - sameBits<uint64_t>(kShift);
        const D scale = sameBits<D>((whole + uint64_t{1023}) << 52);
        return __builtin_convertvector(power * scale, F);
    }

    static int renderRun(VoiceLanes& lanes, const LaneRun& run, int frames);
};

template <int N>
int Lanes<N>::renderRun(VoiceLanes& lanes, const LaneRun& run, int frames) {
    F phase[kSynthOscillatorCount], increment[kSynthOscillatorCount], target[kSynthOscillatorCount];
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        phase[o] = load<F>(lanes.phase[o]);
        increment[o] = load<F>(lanes.increment[o]);
        target[o] = load<F>(lanes.target[o]);
    }
    F ampValue = load<F>(lanes.ampValue);
    const F ampStep = load<F>(lanes.ampStep), ampSustain = load<F>(lanes.ampSustain);
    const I ampStage = load<I>(lanes.ampStage), ampStepping = load<I>(lanes.ampStepping);
    F envValue = load<F>(lanes.envValue);
    const F envStep = load<F>(lanes.envStep), envSustain = load<F>(lanes.envSustain);
    const I envStage = load<I>(lanes.envStage), envMode = load<I>(lanes.envMode);
    const F velocity = load<F>(lanes.velocity), resonance = load<F>(lanes.resonance);
    F cutoff = load<F>(lanes.cutoff), f = load<F>(lanes.f), feedback = load<F>(lanes.feedback);
    F inputGain = load<F>(lanes.inputGain), outputGain = load<F>(lanes.outputGain);
    F y[4], x[4];
    for (int s = 0; s < 4; ++s) {
        y[s] = load<F>(lanes.y[s]);
        x[s] = load<F>(lanes.x[s]);
    }
    I laneIndex;
    for (int j = 0; j < N; ++j) laneIndex[j] = j;

    const I attackLanes = ampStage == 0, decayLanes = ampStage == 1, sustainLanes = ampStage == 2;
    const I envSteps = envMode == kLaneEnvelopeStepping, envStale = envMode == kLaneEnvelopeStale;
    const I envAttack = envStage == 0, envDecay = envStage == 1, envHolds = envStage == 2;
    I rendering = {};
    int firstRendering = 0, lanesToSum = 0;
    auto learnRendering = [&](uint32_t bits) {
        for (int j = 0; j < N; ++j) rendering[j] = (bits >> j) & 1u ? -1 : 0;
        firstRendering = bits != 0 ? __builtin_ctz(bits) : 0;
        lanesToSum = bits != 0 ? 32 - __builtin_clz(bits) : 0;
    };
    if (lanes.renderingKnown) learnRendering(lanes.rendering);

    int32_t shapes[kSynthOscillatorCount];
    float levels[kSynthOscillatorCount];
    bool multiplies[kSynthOscillatorCount];
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        shapes[o] = run.oscillators[o].shape;
        levels[o] = run.oscillators[o].level;
        multiplies[o] = run.oscillators[o].multiply;
    }
    const F arpFactor = run.laneArpFactors ? load<F>(run.laneArpFactors) : splat(run.arpFactor);

    // Voice outputs wait in rows and are summed in voice order, as the rule adds them.
    constexpr int kRows = 16;
    float rows[kRows][N];
    int pending = 0;
    auto sumRows = [&](int upTo) {
        for (int r = 0; r < pending; ++r) {
            float sum = 0.0f;
            for (int j = 0; j < lanesToSum; ++j) sum += rows[r][j];
            run.out[upTo - pending + r] = sum;
        }
        pending = 0;
    };

    int done = 0;
    for (; done < frames; ++done) {
        // The envelopes first: an event leaves this sample untouched for the exact path.
        const F ampNext = sustainLanes ? ampValue : ampValue + ampStep;
        I event = ampStepping & ((attackLanes & (ampNext >= 1.0f)) | (decayLanes & (ampNext <= ampSustain)));
        const F amplitude = ampStepping ? ampNext : 0.0f;
        const I rendersNow = amplitude > 0.0f;
        F envNext = envValue;
        if (run.filterOn) {
            envNext = envHolds ? envValue : envValue + envStep;
            event |= rendersNow & ((envStale) | (envSteps & ((envAttack & (envNext >= 1.0f)) |
                                                              (envDecay & (envNext <= envSustain)))));
        }
        if (!lanes.renderingKnown) {
            if (any(event)) break;
            lanes.rendering = bitsOf(rendersNow);
            lanes.renderingKnown = true;
            learnRendering(lanes.rendering);
        } else if (any(event | (rendersNow ^ rendering))) {
            break;
        }
        ampValue = ampStepping ? ampNext : ampValue;

        const float in = run.input ? run.input[done] : 0.0f;
        F acc = laneIndex == firstRendering ? splat(in) : 0.0f;
        F waves[kSynthOscillatorCount];
        for (int o = 0; o < kSynthOscillatorCount; ++o) {
            const F at = phase[o];
            int sharedWith = -1;
            if (!SynthOscillator::readsNoiseTables(shapes[o])) {
                for (int p = 0; p < o && sharedWith < 0; ++p) {
                    if (shapes[p] == shapes[o] && !any(sameBits<I>(phase[p]) != sameBits<I>(at))) sharedWith = p;
                }
            }
            // Two oscillators of one pure shape at the same phases (as in the default
            // program) have the same values.
            waves[o] = sharedWith >= 0 ? waves[sharedWith] : wave(shapes[o], run.oscillators[o], at);
        }
        for (int o = 0; o < kSynthOscillatorCount; ++o) {
            F advanced = phase[o] + arpFactor * increment[o];
            advanced = advanced >= 1.0f ? advanced - 1.0f : advanced;
            if (any(advanced >= 1.0f)) {
                for (int j = 0; j < N; ++j) {
                    if (advanced[j] >= 1.0f) advanced[j] -= std::floor(advanced[j]);
                }
            }
            phase[o] = rendering ? advanced : phase[o];
            if (run.portaOn) {
                const F glided = increment[o] + (target[o] - increment[o]) * run.portaCoef;
                increment[o] = rendering ? glided : increment[o];
            }
            const F term = waves[o] * levels[o];
            acc = multiplies[o] ? acc * term : acc + term;
        }
        F out = acc * velocity * amplitude;

        if (run.filterOn) {
            const F level = envSteps ? envNext : 0.0f;
            envValue = rendering & envSteps ? envNext : envValue;
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
            }
            const F damping = 1.0f - f;
            const F stageIn = (out - feedback * y[3]) * inputGain;
            const F y1 = stageIn + 0.3f * x[0] + damping * y[0];
            const F y2 = y1 + 0.3f * x[1] + damping * y[1];
            const F y3 = y2 + 0.3f * x[2] + damping * y[2];
            const F y4 = y3 + 0.3f * x[3] + damping * y[3];
            x[0] = rendering ? stageIn : x[0];
            x[1] = rendering ? y1 : x[1];
            x[2] = rendering ? y2 : x[2];
            x[3] = rendering ? y3 : x[3];
            y[0] = rendering ? y1 : y[0];
            y[1] = rendering ? y2 : y[1];
            y[2] = rendering ? y3 : y[2];
            y[3] = rendering ? y4 : y[3];
            out = outputGain * y4;
        }
        store(rows[pending], rendering ? out : 0.0f);
        if (++pending == kRows) sumRows(done + 1);
    }
    sumRows(done);

    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        store(lanes.phase[o], phase[o]);
        store(lanes.increment[o], increment[o]);
    }
    store(lanes.ampValue, ampValue);
    store(lanes.envValue, envValue);
    store(lanes.cutoff, cutoff);
    store(lanes.f, f);
    store(lanes.feedback, feedback);
    store(lanes.inputGain, inputGain);
    store(lanes.outputGain, outputGain);
    for (int s = 0; s < 4; ++s) {
        store(lanes.y[s], y[s]);
        store(lanes.x[s], x[s]);
    }
    return done;
}

int renderRun(VoiceLanes& lanes, const LaneRun& run, int frames) {
    // The narrowest width that holds the live voices: one voice costs a quarter of sixteen.
    if (lanes.count <= 4) return Lanes<4>::renderRun(lanes, run, frames);
    if (lanes.count <= 8) return Lanes<8>::renderRun(lanes, run, frames);
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
