// SynthProgram: the stored state of the instrument, 63 parameter values and a name.
#pragma once

#include <cstring>

#include "plugin/synth_parameters.h"
#include "plugin/host_text.h"

constexpr int kProgramValueCount = kParameterCount;

struct SynthProgram {
    float values[kProgramValueCount];
    char name[kProgramNameSize];

    // A new program is "Start" with every parameter at its default.
    SynthProgram() {
        for (int i = 0; i < kProgramValueCount; ++i) values[i] = kParameterDefaults[i];
        std::memset(name, 0, sizeof(name));
        std::strcpy(name, "Start");
    }
};
static_assert(sizeof(SynthProgram) == 276, "a program is 63 floats and a 24-byte name");
