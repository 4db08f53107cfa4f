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

float SynthEnvelope::evaluate(int64_t now) {
    const int64_t previous = lastTime;
    lastTime = now;
    if (now < start || now >= end) {
        return 0.0f;
    }
    for (int64_t remaining = now - previous; remaining > 0; --remaining) {
        switch (stage) {
        case kAttack:
            value += step;
            if (value >= 1.0f) {
                if (decayLength > 0) {
                    step = decayStep;
                    value = 1.0f;
                    stage = kDecay;
                } else {
                    value = sustain;
                    stage = kSustain;
                }
            }
            break;
        case kDecay:
            value += step;
            if (value <= sustain) {
                value = sustain;
                stage = kSustain;
            }
            break;
        case kSustain:
            if (releaseTime < now) {
                stage = kRelease;
                end = now + releaseLength;
                if (releaseLength > 0) {
                    step = releaseStep;
                } else {
                    value = 0.0f;
                }
            } else {
                // Nothing changes in the remaining steps: the test is against `now`.
                return value;
            }
            break;
        default: {
            // Once a step no longer moves the level (or it is NaN) the remaining
            // steps would not either; stopping keeps a long catch-up bounded.
            const float next = value + step;
            if (next == value) {
                return value;
            }
            value = next;
            if (value != value) {
                return value;
            }
            break;
        }
        }
    }
    return value;
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
