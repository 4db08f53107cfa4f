// SynthLfo: triangle position from the plug-in sample clock, period changes and re-anchoring.
#include "engine/synth_lfo.h"

#include <cmath>

const int32_t kLfoTargets[kLfoTargetCount] = {
    0,  1,  2,  3,  4,  5,  6,  7,  3,  9,  10, 11, 12, 3,  14, 15, 16, 17, 18,
    19, 20, 21, 22, 23, 24, 25, 26, 31, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
    46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62,
};

namespace {

// A period is kept between one sample and about 7 years of samples at 44.1 kHz.
constexpr float kMinPeriod = 1.0f;
constexpr float kMaxPeriod = 1.0e13f;

}  // namespace

void SynthLfo::setPeriod(float samples) {
    if (samples != samples) {
        return;
    }
    const float newPeriod = samples < kMinPeriod ? kMinPeriod : (samples > kMaxPeriod ? kMaxPeriod : samples);
    const float old = period * phase - offset;
    period = newPeriod;
    rate = 1.0f / newPeriod;
    offset = newPeriod * phase - old;
}

float SynthLfo::valueAt(int64_t counter) {
    // Clock and offset are added in double: a float sum would lose whole samples after
    // six minutes and make the triangle steppy; double stays exact for centuries.
    const double position = (static_cast<double>(counter) + static_cast<double>(offset)) * static_cast<double>(rate);
    phase = static_cast<float>(position - std::floor(position));
    if (phase >= 1.0f) {  // a fraction just below 1 may round up
        phase = 0.0f;
    }
    if (phase <= 0.5f) {
        return minValue + 2.0f * phase * (maxValue - minValue);
    }
    return maxValue - (maxValue - minValue) * (2.0f * phase - 1.0f);
}

void SynthLfo::reanchor(float value) {
    if (maxValue == minValue || value != value) {
        return;
    }
    const float low = minValue < maxValue ? minValue : maxValue;
    const float high = minValue < maxValue ? maxValue : minValue;
    float limited = value < low ? low : (value > high ? high : value);
    float e = (limited - minValue) / (maxValue - minValue) * 0.5f;
    if (!(phase < 0.5f)) {
        e = 1.0f - e;
    }
    offset = e * period - (period * phase - offset);
    // The LFO now stands at e; remembering it keeps a second re-anchor or a period change
    // before the next tick from working on the old position.
    phase = e;
}
