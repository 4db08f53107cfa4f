// SynthProgram: the stored state of the instrument, 63 parameter values and a name.
#pragma once

#include <atomic>
#include <cstring>

#include "plugin/synth_parameters.h"
#include "plugin/host_text.h"

constexpr int kProgramValueCount = kParameterCount;

// The values are atomics: the audio thread's modulators write them while the host may read
// them on another thread.
struct SynthProgram {
    std::atomic<float> values[kProgramValueCount];
    char name[kProgramNameSize];

    // A new program is "Start" with every parameter at its default.
    SynthProgram() {
        for (int i = 0; i < kProgramValueCount; ++i) values[i] = kParameterDefaults[i];
        std::memset(name, 0, sizeof(name));
        std::strcpy(name, "Start");
    }
};
static_assert(sizeof(SynthProgram) == 276, "a program is 63 floats and a 24-byte name");
static_assert(std::atomic<float>::is_always_lock_free, "a stored value is one plain float");
