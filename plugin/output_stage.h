// The output stage: soft compressor curve, pan, volume and the clamp below full scale.
#pragma once

#include <cstring>

// Largest magnitude a sample may leave the plug-in with.
constexpr float kOutputLimit = 0.99f;

struct SynthOutputStage {
    // Fixed for one block from the Volume, Pan and Comp parameters (raw 0..1).
    SynthOutputStage(float volume, float pan, float comp)
        : leftGain((1.0f - pan) * volume),
          rightGain(pan * volume),
          outerSlope((1.0f - comp) * 1.3333334f),
          innerSlope(4.0f * comp) {}

    // Piecewise linear with knees at +-0.25, where it passes through +-comp, and
    // +-1 mapped to +-1: comp 0.25 leaves the signal as it is.
    float compress(float u) const {
        if (u > 0.25f) return outerSlope * (u - 1.0f) + 1.0f;
        if (u < -0.25f) return outerSlope * (u + 1.0f) - 1.0f;
        return innerSlope * u;
    }

    static float clamp(float x) {
        if (x > kOutputLimit) return kOutputLimit;
        if (x < -kOutputLimit) return -kOutputLimit;
        // A voice driven past its range (a host value above 1 for the cutoff) can blow up
        // its filter; whatever happens inside, the host's mix must never receive a NaN.
        if (x != x) return 0.0f;
        return x;
    }

    // One engine sample into the two outputs at frame i, overwriting or adding.
    void write(float engineSample, float* left, float* right, int i, bool replacing) const {
        float v = compress(engineSample);
        float l = v * leftGain;
        float r = v * rightGain;
        if (replacing) {
            left[i] = clamp(l);
            right[i] = clamp(r);
        } else {
            left[i] = clamp(left[i] + l);
            right[i] = clamp(right[i] + r);
        }
    }

    // Samples 0..count-1 of a run, the same bits as write() for each; four at a time.
    void writeRun(const float* engineSamples, float* left, float* right, int count, bool replacing) const {
        typedef float Quad __attribute__((vector_size(16)));
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            Quad u, l, r;
            std::memcpy(&u, engineSamples + i, sizeof u);
            const Quad v = u > 0.25f ? outerSlope * (u - 1.0f) + 1.0f
                                     : (u < -0.25f ? outerSlope * (u + 1.0f) - 1.0f : innerSlope * u);
            l = v * leftGain;
            r = v * rightGain;
            if (!replacing) {
                Quad heldLeft, heldRight;
                std::memcpy(&heldLeft, left + i, sizeof heldLeft);
                std::memcpy(&heldRight, right + i, sizeof heldRight);
                l = heldLeft + l;
                r = heldRight + r;
            }
            l = l > kOutputLimit ? kOutputLimit : (l < -kOutputLimit ? -kOutputLimit : (l != l ? 0.0f : l));
            r = r > kOutputLimit ? kOutputLimit : (r < -kOutputLimit ? -kOutputLimit : (r != r ? 0.0f : r));
            std::memcpy(left + i, &l, sizeof l);
            std::memcpy(right + i, &r, sizeof r);
        }
        for (; i < count; ++i) write(engineSamples[i], left, right, i, replacing);
    }

    // A run in which the engine gives 0 at every sample: one output value per channel.
    void writeSilence(float* left, float* right, int count, bool replacing) const {
        const float v = compress(0.0f);
        const float l = v * leftGain;
        const float r = v * rightGain;
        if (replacing) {
            const float clampedLeft = clamp(l);
            const float clampedRight = clamp(r);
            for (int i = 0; i < count; ++i) left[i] = clampedLeft;
            for (int i = 0; i < count; ++i) right[i] = clampedRight;
            return;
        }
        for (int i = 0; i < count; ++i) left[i] = clamp(left[i] + l);
        for (int i = 0; i < count; ++i) right[i] = clamp(right[i] + r);
    }

    float leftGain;
    float rightGain;
    float outerSlope;
    float innerSlope;
};
