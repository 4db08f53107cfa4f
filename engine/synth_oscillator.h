// SynthOscillator: wave shape, level, combine mode, noise tables and per-voice phases.
#pragma once

#include <cstdint>

#include "engine/synth_math.h"
#include "engine/synth_math_block.h"
#include "engine/synth_voice.h"

constexpr int kSynthOscillatorCount = 3;
constexpr int kWaveShapeCount = 14;
constexpr int kNoiseTableSize = 1024;

// Display names of the wave shapes, by shape index.
extern const char* const kWaveShapeNames[kWaveShapeCount];

// Shape index of a 0..1 parameter value: 1.0 still selects the last shape.
int32_t waveShapeIndex(float value);

// One voice's phase state inside one oscillator.
struct OscVoiceSlot {
    float phase = 0.0f;            // cycles, 0 <= phase < 1
    float increment = 0.0f;        // cycles per sample, in use now
    float targetIncrement = 0.0f;  // what portamento glides towards
};

class SynthOscillator {
public:
    // Fills the noise tables from the C library's rand(): build the three oscillators
    // in order so they draw one after another from the one process-wide sequence.
    SynthOscillator();

    // Value of `waveShape` at phase 0 <= phase < 1.
    float waveValue(int32_t waveShape, float phase) const;
    // out[i] = waveValue(waveShape, phases[i]) for i < count <= kSynthVoiceCount, the
    // same bits.
    void waveBlock(int32_t waveShape, const float* phases, float* out, int count) const;
    // The three noise shapes read this oscillator's own tables; all others are pure
    // functions of the phase.
    static bool readsNoiseTables(int32_t waveShape);

    float noise0[kNoiseTableSize];  // uniform noise, -0.99994 .. 1.0
    float noise1[kNoiseTableSize];  // +-1 telegraph signal
    float noise2[kNoiseTableSize];  // straight segments between points of noise0
    float level = 0.7f;
    float pitchOffset = 0.0f;  // semitones
    int32_t shape = 0;
    bool multiply = false;  // combine by product instead of sum
    OscVoiceSlot slots[kSynthVoiceCount];
};

namespace oscillator_detail {

// Single-precision 2 pi, 4 pi, 6 pi and 8 pi.
constexpr float kTwoPi = 6.2831855f;
constexpr float kFourPi = 12.566371f;
constexpr float kSixPi = 18.849556f;
constexpr float kEightPi = 25.132742f;

enum WaveShape : int32_t {
    kSin, kSinsaw, kSaw, kRamp, kSawSqu, kSquare, kSinSqu,
    kSin12, kSin123, kSin124, kAbsSin, kNoise, kNoise2, kNoise3,
};

// Half-height triangle: 0 up to 0.5, down to -0.5, back to 0.
inline float halfTriangle(float x) {
    if (x < 0.25f) {
        return 2.0f * x;
    }
    if (x <= 0.75f) {
        return 1.0f - 2.0f * x;
    }
    return 2.0f * x - 2.0f;
}

// Table position of a phase; a phase outside 0..1 (never produced by the renderer)
// still reads inside the table.
inline int noiseIndex(float x) {
    const float position = static_cast<float>(kNoiseTableSize) * x;
    if (!(position > 0.0f)) {
        return 0;
    }
    if (position >= static_cast<float>(kNoiseTableSize - 1)) {
        return kNoiseTableSize - 1;
    }
    return static_cast<int>(position);
}

}  // namespace oscillator_detail

inline bool SynthOscillator::readsNoiseTables(int32_t waveShape) {
    return waveShape >= oscillator_detail::kNoise && waveShape <= oscillator_detail::kNoise3;
}

// Called three times per voice and sample: defined here so the renderer can inline it.
inline float SynthOscillator::waveValue(int32_t waveShape, float x) const {
    using namespace oscillator_detail;
    switch (waveShape) {
    case kSin:
    default:
        return extendedSin(kTwoPi * x);
    case kSinsaw:
        return halfTriangle(x) + 0.5f * extendedSin(kTwoPi * x);
    case kSaw:
        if (x < 0.25f) {
            return 4.0f * x;
        }
        if (x <= 0.75f) {
            return 2.0f - 4.0f * x;
        }
        return 4.0f * x - 4.0f;
    case kRamp:
        return x <= 0.5f ? 2.0f * x : 2.0f * x - 2.0f;
    case kSawSqu:
        return x < 0.5f ? halfTriangle(x) + 0.5f : halfTriangle(x) - 0.5f;
    case kSquare:
        return x < 0.5f ? 1.0f : -1.0f;
    case kSinSqu: {
        const float halfSine = 0.5f * extendedSin(kTwoPi * x);
        return x < 0.5f ? halfSine + 0.5f : halfSine - 0.5f;
    }
    case kSin12:
        return (extendedSin(kTwoPi * x) + extendedSin(kFourPi * x)) * 0.5f;
    case kSin123:
        return (extendedSin(kTwoPi * x) + extendedSin(kFourPi * x) + extendedSin(kSixPi * x)) *
               0.33333334f;
    case kSin124:
        return (extendedSin(kTwoPi * x) + extendedSin(kFourPi * x) + extendedSin(kEightPi * x)) *
               0.33333334f;
    case kAbsSin:
        return 2.0f * std::fabs(extendedSin(kTwoPi * x)) - 1.0f;
    case kNoise:
        return noise0[noiseIndex(x)];
    case kNoise2:
        return noise1[noiseIndex(x)];
    case kNoise3:
        return noise2[noiseIndex(x)];
    }
}

// The renderer's form: one shape for a run of voices, so the shape is chosen once and the
// sines go through the block form. Every value is computed exactly as waveValue does.
inline void SynthOscillator::waveBlock(int32_t waveShape, const float* phases, float* out, int count) const {
    using namespace oscillator_detail;
    float angles[kSynthVoiceCount];
    float sines[kSynthVoiceCount];
    float more[kSynthVoiceCount];
    // sin(factor * x) of every phase into `into`.
    auto sinesOf = [&](float factor, float* into) {
        for (int i = 0; i < count; ++i) angles[i] = factor * phases[i];
        extendedSinBlock(angles, into, count);
    };
    switch (waveShape) {
    case kSin:
        sinesOf(kTwoPi, out);
        return;
    case kSinsaw:
        sinesOf(kTwoPi, sines);
        for (int i = 0; i < count; ++i) out[i] = halfTriangle(phases[i]) + 0.5f * sines[i];
        return;
    case kSinSqu:
        sinesOf(kTwoPi, sines);
        for (int i = 0; i < count; ++i) {
            const float halfSine = 0.5f * sines[i];
            out[i] = phases[i] < 0.5f ? halfSine + 0.5f : halfSine - 0.5f;
        }
        return;
    case kSin12:
        sinesOf(kTwoPi, sines);
        sinesOf(kFourPi, more);
        for (int i = 0; i < count; ++i) out[i] = (sines[i] + more[i]) * 0.5f;
        return;
    case kSin123:
    case kSin124:
        sinesOf(kTwoPi, sines);
        sinesOf(kFourPi, more);
        for (int i = 0; i < count; ++i) out[i] = sines[i] + more[i];
        sinesOf(waveShape == kSin123 ? kSixPi : kEightPi, more);
        for (int i = 0; i < count; ++i) out[i] = (out[i] + more[i]) * 0.33333334f;
        return;
    case kAbsSin:
        sinesOf(kTwoPi, sines);
        for (int i = 0; i < count; ++i) out[i] = 2.0f * std::fabs(sines[i]) - 1.0f;
        return;
    default:
        if (waveShape < kSin || waveShape > kNoise3) {
            sinesOf(kTwoPi, out);  // what waveValue's default gives
            return;
        }
        for (int i = 0; i < count; ++i) out[i] = waveValue(waveShape, phases[i]);
        return;
    }
}
