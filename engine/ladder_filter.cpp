// LadderFilter: coefficients from cutoff and resonance, and the four-stage process.
#include "engine/ladder_filter.h"

#include "engine/synth_math.h"

namespace {

constexpr float kHoldWindow = 0.105f;
constexpr int32_t kMaxHold = 5000;

bool withinHoldWindow(float stored, float wanted) {
    return wanted - kHoldWindow <= stored && stored - kHoldWindow <= wanted;
}

bool holds(float stored, float wanted, int32_t holdCount) {
    return withinHoldWindow(stored, wanted) && (holdCount <= kMaxHold || wanted == stored);
}

}  // namespace

void LadderFilter::reset() {
    cutoffHold = 0;
    resonanceHold = 0;
    y1 = y2 = y3 = y4 = 0.0f;
    x1 = x2 = x3 = x4 = 0.0f;
}

void LadderFilter::setup(float newCutoff, float newResonance) {
    cutoff = newCutoff;
    resonance = newResonance;
    const float fc = 0.005f * powerOf200(cutoff);
    f = 1.16f * fc;
    const float fSquared = f * f;
    feedback = resonance * 4.0f * (1.0f - 0.15f * fSquared);
    inputGain = 0.35013f * fSquared * fSquared;
    outputGain = 2.0f * resonance + 1.0f;
}

void LadderFilter::setHeld(float newCutoff, float newResonance) {
    if (holds(cutoff, newCutoff, cutoffHold) && holds(resonance, newResonance, resonanceHold)) {
        ++cutoffHold;
        ++resonanceHold;
        return;
    }
    cutoffHold = 0;
    resonanceHold = 0;
    setup(newCutoff, newResonance);
}

void LadderFilter::setCutoff(float newCutoff) {
    cutoffHold = 0;
    setup(newCutoff, resonance);
}

void LadderFilter::setCutoffHeld(float newCutoff) {
    if (holds(cutoff, newCutoff, cutoffHold)) {
        ++cutoffHold;
        return;
    }
    setCutoff(newCutoff);
}

void LadderFilter::setResonance(float newResonance) {
    resonanceHold = 0;
    setup(cutoff, newResonance);
}

void LadderFilter::setResonanceHeld(float newResonance) {
    if (holds(resonance, newResonance, resonanceHold)) {
        ++resonanceHold;
        return;
    }
    setResonance(newResonance);
}

float LadderFilter::process(float input) {
    // Each stage mixes its new input, its previous input and its own previous output.
    const float damping = 1.0f - f;
    const float x = (input - feedback * y4) * inputGain;
    y1 = x + 0.3f * x1 + damping * y1;
    x1 = x;
    y2 = y1 + 0.3f * x2 + damping * y2;
    x2 = y1;
    y3 = y2 + 0.3f * x3 + damping * y3;
    x3 = y2;
    y4 = y3 + 0.3f * x4 + damping * y4;
    x4 = y3;
    return outputGain * y4;
}
