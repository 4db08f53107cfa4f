// LadderFilter: four one-pole stages with feedback from the last stage, one per voice.
#pragma once

#include <cstdint>

class LadderFilter {
public:
    // Clears the stage memories and hold counts; settings and coefficients stay.
    virtual void reset();
    // Stores both settings and derives the coefficients.
    virtual void setup(float newCutoff, float newResonance);
    // Held setters ignore small changes for a while (at most 5000 in a row), which saves
    // the coefficient update when a control jitters; the engine uses the immediate ones.
    virtual void setHeld(float newCutoff, float newResonance);
    virtual void setCutoff(float newCutoff);
    virtual void setCutoffHeld(float newCutoff);
    virtual void setResonance(float newResonance);
    virtual void setResonanceHeld(float newResonance);
    // One sample through the four stages.
    virtual float process(float input);

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
};
