// LadderFilter: reset and the setters that the per-sample path does not use.
#include "engine/ladder_filter.h"

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
