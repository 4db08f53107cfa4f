// SynthEnvelope: a linear attack/decay/sustain/release envelope stamped on the engine clock.
#pragma once

#include <cstdint>

class SynthEnvelope {
public:
    // "Held" stamps: far beyond any clock a 64-bit sample count reaches in practice
    // (about 700,000 years at 44.1 kHz), so a held note never releases by itself.
    static constexpr int64_t kHeldReleaseTime = INT64_C(1000000000000000000);
    static constexpr int64_t kOpenEnd = INT64_C(2000000000000000000);

    enum Stage : int32_t { kAttack = 0, kDecay = 1, kSustain = 2, kRelease = 3 };

    // Copies the settings the way a new note takes them, steps recomputed in between.
    void configure(int32_t attack, int32_t decay, float sustainLevel, int32_t release);
    // Starts the envelope `delay` samples after `now`.
    void trigger(int64_t now, int64_t delay);
    // Schedules the release `delay` samples after the latest trigger or evaluation.
    void release(int64_t delay);
    // Advances to clock value `now` and returns the level; 0 outside start <= now < end.
    float evaluate(int64_t now);
    void setSustain(float level);
    void recomputeSteps();

    bool isSoundingAt(int64_t clock) const { return start <= clock && clock < end; }

    int32_t attackLength = 0;
    int32_t decayLength = 0;
    int32_t releaseLength = 0;
    float decayStep = 0.0f;
    float releaseStep = 0.0f;
    float sustain = 0.0f;
    int64_t lastTime = 0;
    int64_t start = 0;
    int64_t releaseTime = 0;
    int64_t end = 0;
    float value = 0.0f;
    float step = 0.0f;
    int32_t stage = kRelease;
};

// Runs once per voice and sample, so it lives here where the renderer can inline it.
inline float SynthEnvelope::evaluate(int64_t now) {
    // Steps count from the start at the earliest: a note placed later in a block must not
    // arrive with the samples between the block start and its own start already stepped.
    const int64_t previous = lastTime > start ? lastTime : start;
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
