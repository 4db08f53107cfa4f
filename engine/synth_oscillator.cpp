// SynthOscillator: the fourteen wave shapes and the noise tables.
#include "engine/synth_oscillator.h"

#include <cmath>
#include <cstdlib>

#include "engine/synth_lanes.h"
#include "engine/synth_math.h"

const char* const kWaveShapeNames[kWaveShapeCount] = {
    "Sin", "Sinsaw", "Saw", "Ramp", "SawSqu", "Square", "SinSqu",
    "Sin12", "Sin123", "Sin124", "AbsSin", "Noise", "Noise2", "Noise3",
};

namespace {

// A pseudo-random integer 0..32767 from the C library's one sequence. The remainder
// is the draw itself where RAND_MAX is 32767 (Windows) and its low 15 bits elsewhere.
int drawRandom15() {
    return std::rand() % 32768;
}

}  // namespace

int32_t waveShapeIndex(float value) {
    float limited = value;
    if (limited > 0.9999f) {
        limited = 0.9999f;
    }
    if (!(limited >= 0.00001f)) {  // also catches NaN
        limited = 0.00001f;
    }
    return static_cast<int32_t>(static_cast<float>(kWaveShapeCount) * limited);
}

SynthOscillator::SynthOscillator() {
    for (int i = 0; i < kNoiseTableSize; ++i) {
        noise0[i] = static_cast<float>(drawRandom15() - 16383) * 0.00006103515625f;
    }
    float sign = -1.0f;
    for (int i = 0; i < kNoiseTableSize; ++i) {
        noise1[i] = sign;
        if (noise0[i] > 0.7f) {
            sign = -sign;
        }
    }
    int segmentStart = 0;
    int segmentEnd = 5;
    for (int k = 0; k < kNoiseTableSize; ++k) {
        noise2[k] = noise0[segmentStart] + (noise0[segmentEnd] - noise0[segmentStart]) *
                                               static_cast<float>(k - segmentStart) /
                                               static_cast<float>(segmentEnd - segmentStart);
        if (k == segmentEnd) {
            segmentStart = segmentEnd;
            segmentEnd = k + 1 + drawRandom15() % 25;
            if (segmentEnd > kNoiseTableSize - 1) {
                segmentEnd = kNoiseTableSize - 1;
            }
        }
    }
}

float SynthOscillator::waveValue(int32_t waveShape, float phase) const {
    float phases[kSynthVoiceCount] = {phase};
    float values[kSynthVoiceCount];
    laneKernels().waves(waveShape, *this, phases, values);
    return values[0];
}
