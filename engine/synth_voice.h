// SynthVoice: one of the sixteen note records; its oscillator phases live in the oscillators.
#pragma once

#include <cstdint>

#include "engine/ladder_filter.h"
#include "engine/synth_envelope.h"

constexpr int kSynthVoiceCount = 16;

struct SynthVoice {
    int32_t key = 0;
    float velocity = 0.0f;
    float pitch = 0.0f;
    SynthEnvelope ampEnvelope;
    SynthEnvelope filterEnvelope;
    LadderFilter filter;
};
