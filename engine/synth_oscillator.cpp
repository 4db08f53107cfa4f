// SynthOscillator: the fourteen wave shapes and the noise tables.
#include "engine/synth_oscillator.h"

#include <cmath>
#include <cstdlib>

#include "engine/synth_math.h"

const char* const kWaveShapeNames[kWaveShapeCount] = {
    "Sin", "Sinsaw", "Saw", "Ramp", "SawSqu", "Square", "SinSqu",
    "Sin12", "Sin123", "Sin124", "AbsSin", "Noise", "Noise2", "Noise3",
};

namespace {

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
float halfTriangle(float x) {
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
int noiseIndex(float x) {
    const float position = static_cast<float>(kNoiseTableSize) * x;
    if (!(position > 0.0f)) {
        return 0;
    }
    if (position >= static_cast<float>(kNoiseTableSize - 1)) {
        return kNoiseTableSize - 1;
    }
    return static_cast<int>(position);
}

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

float SynthOscillator::waveValue(int32_t waveShape, float x) const {
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
