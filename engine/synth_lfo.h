// SynthLfo: a tempo-tied triangle between two parameter values, read every 50 samples.
#pragma once

#include <cstdint>

constexpr int kLfoTargetCount = 55;

// Aim index -> parameter index. The LFOs reach every parameter except their own
// period, aim and bound parameters; entries 8 and 13 stand in for "Osc1".
extern const int32_t kLfoTargets[kLfoTargetCount];

class SynthLfo {
public:
    // New period in samples; the phase carries on where it was.
    void setPeriod(float samples);
    // Value at plug-in sample clock `counter`; also records the phase.
    float valueAt(int64_t counter);
    // Moves the phase so the latest valueAt would have returned `value`, same direction.
    void reanchor(float value);

    float minValue = 0.0f;  // value at phase 0
    float maxValue = 1.0f;  // value at phase 0.5
    float period = 10000.0f;
    float rate = 0.0001f;
    float offset = 0.0f;  // samples added to the clock before scaling
    float phase = 0.0f;
    int64_t holdUntil = 0;  // does nothing while the clock is not past this
};
