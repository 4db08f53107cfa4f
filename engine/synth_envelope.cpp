// SynthEnvelope: stage stepping, one step per elapsed sample.
#include "engine/synth_envelope.h"

void SynthEnvelope::configure(int32_t attack, int32_t decay, float sustainLevel, int32_t release) {
    attackLength = attack;
    decayLength = decay;
    recomputeSteps();
    setSustain(sustainLevel);
    releaseLength = release;
    recomputeSteps();
}

void SynthEnvelope::trigger(int64_t now, int64_t delay) {
    lastTime = now;
    start = now + delay;
    releaseTime = kHeldReleaseTime;
    end = kOpenEnd;
    if (attackLength > 0) {
        stage = kAttack;
        value = 0.0f;
        step = 1.0f / static_cast<float>(attackLength);
    } else if (decayLength > 0) {
        // The first decay step divides by the length itself, later ones by length + 1.
        stage = kDecay;
        value = 1.0f;
        step = (sustain - 1.0f) / static_cast<float>(decayLength);
    } else {
        stage = kSustain;
        value = sustain;
    }
}

void SynthEnvelope::release(int64_t delay) {
    releaseTime = lastTime + delay;
}

void SynthEnvelope::setSustain(float level) {
    sustain = level;
    if (stage == kSustain) {
        value = level;
    }
    recomputeSteps();
}

void SynthEnvelope::recomputeSteps() {
    decayStep = (sustain - 1.0f) / static_cast<float>(decayLength + 1);
    releaseStep = -sustain / static_cast<float>(releaseLength + 1);
}
