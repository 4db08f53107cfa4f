// The host the plug-in fuzzers play: answers version and tempo, and a render that
// aborts when the plug-in breaks its output promise (finite, within ±0.99).
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "vst2/vst2_abi.h"

inline VstIntPtr VSTCALLBACK fuzzHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterTempoAt: return 120 * 10000;
        default: return 0;
    }
}

constexpr int kFuzzBlock = 256;

inline void renderAndCheck(AEffect* effect, int frames, bool replacing) {
    static float left[kFuzzBlock], right[kFuzzBlock], input[kFuzzBlock];
    if (frames < 0 || frames > kFuzzBlock) frames = kFuzzBlock;
    for (int i = 0; i < frames; ++i) {
        left[i] = right[i] = 0.0f;
        input[i] = 0.25f * std::sin(0.05f * (float)i);
    }
    float* outputs[2] = {left, right};
    float* inputs[1] = {input};
    if (replacing)
        effect->processReplacing(effect, inputs, outputs, frames);
    else
        effect->process(effect, inputs, outputs, frames);
    // The accumulating call adds to silence here, so the same promise holds.
    for (int i = 0; i < frames; ++i) {
        for (float x : {left[i], right[i]}) {
            if (!std::isfinite(x) || std::fabs(x) > 0.99f) {
                std::fprintf(stderr, "output %g at sample %d breaks the output promise\n", (double)x, i);
                std::abort();
            }
        }
    }
}
