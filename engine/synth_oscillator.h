// SynthOscillator: wave shape, level, combine mode, noise tables and per-voice phases.
#pragma once

#include <cstdint>

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

    float noise0[kNoiseTableSize];  // uniform noise, -0.99994 .. 1.0
    float noise1[kNoiseTableSize];  // +-1 telegraph signal
    float noise2[kNoiseTableSize];  // straight segments between points of noise0
    float level = 0.7f;
    float pitchOffset = 0.0f;  // semitones
    int32_t shape = 0;
    bool multiply = false;  // combine by product instead of sum
    OscVoiceSlot slots[kSynthVoiceCount];
};
