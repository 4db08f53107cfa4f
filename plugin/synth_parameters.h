// The parameter table: names, choice mappings, modulator aims and display texts.
#pragma once

#include <cstddef>

#include "engine/synth_math.h"  // choiceIndex

constexpr int kParameterCount = 63;
constexpr int kNoEventTarget = 63;  // an event aim that moves nothing

// The value of every parameter in a new program.
extern const float kParameterDefaults[kParameterCount];

// Parameters referred to by the plug-in's own code.
enum SynthParameterIndex {
    kParamVolume = 0,
    kParamPan = 1,
    kParamPitch = 2,
    kParamOsc1 = 3,
    kParamOsc1Volume = 4,
    kParamOsc1Shape = 5,
    kParamOsc1Pitch = 6,
    kParamOsc1Fine = 7,
    kParamOscStride = 5,  // the three oscillators' parameters repeat every five rows
    kParamAttack = 18,
    kParamDecay = 19,
    kParamSustain = 20,
    kParamRelease = 21,
    kParamArpType = 22,
    kParamArpTime = 23,
    kParamArpChord = 24,
    kParamArpRange = 25,
    kParamLfo1 = 26,        // LFO k: switch, period, aim, min, max from 26 + 5k
    kParamLfoStride = 5,
    kParamEvent1Aim = 36,   // event modulator k: aim, note, value, release from 36 + 4k
    kParamEventStride = 4,
    kParamFilter = 52,
    kParamCutoff = 53,
    kParamResonance = 54,
    kParamFilterEnv = 55,
    kParamFilterAttack = 56,
    kParamFilterDecay = 57,
    kParamFilterSustain = 58,
    kParamFilterRelease = 59,
    kParamPorta = 60,
    kParamPortaWet = 61,
    kParamComp = 62,
};

// Float to integer toward zero, saturating, NaN giving 0: host values are not
// guaranteed to lie in 0..1, and an out-of-range conversion is undefined.
int truncToInt(float x);

// Mappings shared by the engine settings and the display texts.
// Envelope stage lengths in samples: quadratic, so short times get most of the travel.
int shortTimeSamples(float v);  // up to 50000
int longTimeSamples(float v);   // up to 160000
// Whole semitones -24..+24 of a pitch knob, and -1..+1 of a fine knob.
int coarseSemitones(float v);
float fineSemitones(float v);
// LFO period in beats: an eighth of a beat at 0 up to 512 beats at 1.
float lfoPeriodBeats(float v);

// The parameter an LFO aim value selects (one of the 55 reachable parameters).
int lfoAimTarget(float v);
// The parameter an event aim value selects, 0 to 62, or kNoEventTarget.
int eventAimTarget(float v);
// Aim and bound parameters of the modulators, and every index past the table.
bool isModulatorParameter(int index);
// The parameter a dependent row refers to, or -1; values are the current parameters.
int modulationTarget(int index, const float* values);

// The parameter's name, or "Nothin'" for an index outside the table.
const char* parameterName(int index);

// Writes the display text of parameter index at value v into text (capacity bytes).
// values are the current parameters, read by the dependent rows. Answers false when
// the rule writes nothing, leaving the buffer as it was.
bool formatParameterDisplay(int index, float v, const float* values, char* text, size_t capacity);
