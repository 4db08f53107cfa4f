// The output stage: soft compressor curve, pan, volume and the clamp below full scale.
#pragma once

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

    float leftGain;
    float rightGain;
    float outerSlope;
    float innerSlope;
};
