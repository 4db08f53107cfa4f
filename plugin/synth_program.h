// SynthProgram: the stored state of the instrument, 63 parameter values and a name.
#pragma once

#include <cstring>

#include "editor/synth_layout.h"

constexpr int kProgramValueCount = 63;
constexpr int kProgramNameLength = 24;  // bytes, terminator included

struct SynthProgram {
    float values[kProgramValueCount];
    char name[kProgramNameLength];

    // A new program is "Start" with every parameter at its default.
    SynthProgram() {
        for (int i = 0; i < kProgramValueCount; ++i) values[i] = kSynthLayout[i].defaultValue;
        std::memset(name, 0, sizeof(name));
        std::strcpy(name, "Start");
    }
};
static_assert(sizeof(SynthProgram) == 276, "a program is 63 floats and a 24-byte name");
