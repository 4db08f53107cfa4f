// LadderFilter: four one-pole stages with feedback from the last stage, one per voice.
#pragma once

#include <cstdint>

#include "engine/synth_math.h"

class LadderFilter {
public:
    // Clears the stage memories and hold counts; settings and coefficients stay.
    virtual void reset();
    // Stores both settings and derives the coefficients.
    virtual void setup(float newCutoff, float newResonance);
    // Held setters ignore small changes for a while (at most 5000 in a row), which saves
    // the coefficient update when a control jitters; the engine uses the immediate ones.
    // Kept although nothing calls it: the filter's operations keep their slots in this order.
    virtual void setHeld(float newCutoff, float newResonance);
    virtual void setCutoff(float newCutoff);
    virtual void setCutoffHeld(float newCutoff);
    virtual void setResonance(float newResonance);
    virtual void setResonanceHeld(float newResonance);
    // One sample through the four stages.
    virtual float process(float input);

    // setup's cutoff half in two steps, so a renderer can take the powers of many filters
    // in one run: whether newCutoff needs new coefficients (setCutoff would derive them),
    // and the derivation from power = powerOf200(newCutoff). Hold counts stay as they are.
    bool cutoffNeedsCoefficients(float newCutoff) const {
        return !(coefficientsDerived && newCutoff == cutoff);
    }
    void setCutoffWithPower(float newCutoff, float power);
    bool hasCoefficients() const { return coefficientsDerived; }
    // Takes back coefficients a side-by-side render derived for `newCutoff`.
    void restoreCoefficients(float newCutoff, float newF, float newFeedback, float newInputGain, float newOutputGain) {
        cutoff = newCutoff;
        f = newF;
        feedback = newFeedback;
        inputGain = newInputGain;
        outputGain = newOutputGain;
        coefficientsDerived = true;
    }

    float cutoff = 0.0f;
    float resonance = 0.0f;
    int32_t cutoffHold = 0;
    int32_t resonanceHold = 0;
    float f = 0.0f;
    float feedback = 0.0f;
    float inputGain = 0.0f;
    float outputGain = 1.0f;
    float y1 = 0.0f, y2 = 0.0f, y3 = 0.0f, y4 = 0.0f;
    float x1 = 0.0f, x2 = 0.0f, x3 = 0.0f, x4 = 0.0f;

private:
    // The coefficients are a pure function of cutoff and resonance: once derived, the
    // same settings need no new power (the renderer sets the cutoff every sample).
    bool coefficientsDerived = false;
};

// The per-sample members are defined here so the renderer can inline them.

inline void LadderFilter::setup(float newCutoff, float newResonance) {
    resonance = newResonance;
    setCutoffWithPower(newCutoff, powerOf200(newCutoff));
}

inline void LadderFilter::setCutoffWithPower(float newCutoff, float power) {
    cutoff = newCutoff;
    const float fc = 0.005f * power;
    f = 1.16f * fc;
    const float fSquared = f * f;
    feedback = resonance * 4.0f * (1.0f - 0.15f * fSquared);
    inputGain = 0.35013f * fSquared * fSquared;
    outputGain = 2.0f * resonance + 1.0f;
    coefficientsDerived = true;
}

inline void LadderFilter::setCutoff(float newCutoff) {
    cutoffHold = 0;
    if (!cutoffNeedsCoefficients(newCutoff)) {
        return;  // setup would store and derive exactly what is there
    }
    setup(newCutoff, resonance);
}

inline float LadderFilter::process(float input) {
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
