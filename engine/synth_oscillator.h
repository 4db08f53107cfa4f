// SynthOscillator: wave shape, level, combine mode, noise tables and per-voice phases.
#pragma once

#include <cstdint>

#include "engine/synth_math.h"
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

    // Value of `waveShape` at phase 0 <= phase < 1, exactly as the renderer computes it
    // (the sines within 1e-6 of the exact ones). A slow form, for checks.
    float waveValue(int32_t waveShape, float phase) const;
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
