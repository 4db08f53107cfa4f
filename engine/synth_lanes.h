// The sixteen voices side by side: the state a run of samples needs, one lane per live
// voice, and the kernels that render such runs at the widest vector width the processor
// offers (chosen once, when the library loads).
#pragma once

#include <cstdint>

#include "engine/synth_oscillator.h"
#include "engine/synth_voice.h"

// How a lane's filter envelope behaves during a run.
constexpr int32_t kLaneEnvelopeSilent = 0;    // before its start or after its end: 0, no step
constexpr int32_t kLaneEnvelopeStepping = 1;  // one step per sample
constexpr int32_t kLaneEnvelopeStale = 2;     // would catch up several steps: rendering it is an event

// Live voices in ascending voice order, lane i holding voice `voice[i]`. The engine copies
// its voices in before a run and back after it; lanes at and past `count` are padding.
struct alignas(64) VoiceLanes {
    float phase[kSynthOscillatorCount][kSynthVoiceCount];
    float increment[kSynthOscillatorCount][kSynthVoiceCount];
    float target[kSynthOscillatorCount][kSynthVoiceCount];
    float ampValue[kSynthVoiceCount];
    float ampStep[kSynthVoiceCount];
    float ampSustain[kSynthVoiceCount];
    int32_t ampStage[kSynthVoiceCount];
    int32_t ampStepping[kSynthVoiceCount];  // -1: steps every sample; 0: before its start
    float envValue[kSynthVoiceCount];
    float envStep[kSynthVoiceCount];
    float envSustain[kSynthVoiceCount];
    int32_t envStage[kSynthVoiceCount];
    int32_t envMode[kSynthVoiceCount];  // kLaneEnvelope...
    float velocity[kSynthVoiceCount];
    float cutoff[kSynthVoiceCount];
    float resonance[kSynthVoiceCount];
    float f[kSynthVoiceCount];
    float feedback[kSynthVoiceCount];
    float inputGain[kSynthVoiceCount];
    float outputGain[kSynthVoiceCount];
    float y[4][kSynthVoiceCount];
    float x[4][kSynthVoiceCount];
    int voice[kSynthVoiceCount];
    int count = 0;
    // The lanes whose amplitude is above 0 (those that render), fixed for a run once its
    // first sample is known: a change is an event for the exact path.
    uint32_t rendering = 0;
    bool renderingKnown = false;
};

// What stays fixed during one run.
struct LaneRun {
    int64_t now = 0;               // engine clock of the first sample
    const float* input = nullptr;  // host input per sample, or none (zeros)
    float* out = nullptr;          // the mono sum per sample
    const SynthOscillator* oscillators = nullptr;
    bool portaOn = false;
    float portaCoef = 0.0f;
    bool filterOn = false;
    float cutoff = 0.0f;
    float filterEnvAmount = 0.0f;
    float arpFactor = 1.0f;               // every lane, every sample
    const float* laneArpFactors = nullptr;  // or one factor per lane (single-sample runs)
};

struct LaneKernels {
    const char* name;
    // Whether the sine and power polynomials fuse multiply-adds. Widths that agree in this
    // give the same bits; the others agree within 1e-6 in the waves.
    bool fusedPolynomials;
    // Renders up to `frames` samples and returns how many it rendered: it stops before the
    // first sample at which an envelope changes stage or a lane starts or stops rendering,
    // leaving that sample to the exact per-voice path.
    int (*renderRun)(VoiceLanes& lanes, const LaneRun& run, int frames);
    // out[i] = wave of `shape` at phases[i] for 16 lanes, as the renderer computes it.
    void (*waves)(int32_t shape, const SynthOscillator& oscillator, const float* phases, float* out);
    // out[i] = 200^exponents[i] for 16 lanes, within a float rounding of the exact power.
    void (*powersOf200)(const float* exponents, float* out);
};

// The kernels in use, the widest this processor runs.
const LaneKernels& laneKernels();

// Every width built in, widest first, and whether this processor runs it; tests hold them
// to one another and the benchmark measures each. Choose only while no engine renders.
int laneKernelCount();
const LaneKernels& laneKernelsAt(int index);
bool laneKernelsRunHere(int index);
void chooseLaneKernels(int index);
