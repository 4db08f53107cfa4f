// Parameter names, aims and the text each parameter shows for a value.
#include "plugin/synth_parameters.h"

#include <cmath>

#include "plugin/host_text.h"
#include "engine/synth_arpeggiator.h"
#include "engine/synth_lfo.h"
#include "engine/synth_oscillator.h"

// The one place parameter defaults are written: a new program starts from them.
const float kParameterDefaults[kParameterCount] = {
    // Output and master pitch.
    0.9f, 0.5f, 0.5f,
    // Oscillators 1 to 3: switch, volume, shape, pitch, fine.
    0.0f, 1.0f, 0.0f, 0.5f, 0.5f,
    1.0f, 1.0f, 0.1f, 0.25f, 0.5f,
    0.0f, 0.4f, 0.0f, 0.5f, 0.5f,
    // Amplitude envelope.
    0.1f, 0.1f, 0.5f, 0.3f,
    // Arpeggiator.
    0.0f, 0.5f, 0.0f, 0.3f,
    // LFOs 1 and 2: switch, period, aim, min, max.
    0.0f, 0.5f, 0.0f, 0.0f, 1.0f,
    0.0f, 0.5f, 0.0f, 0.0f, 1.0f,
    // Event modulators 1 to 4: aim, note, value on press, value on release.
    0.99f, 0.5f, 0.0f, 1.0f,
    0.99f, 0.5f, 0.0f, 1.0f,
    0.99f, 0.5f, 0.0f, 1.0f,
    0.99f, 0.5f, 0.0f, 1.0f,
    // Filter and its envelope.
    1.0f, 0.5f, 0.3f, 0.8f, 0.8f, 0.8f, 0.4f, 0.4f,
    // Portamento and the output compressor.
    0.0f, 0.5f, 0.45f,
};

namespace {

const char* const kParameterNames[kParameterCount] = {
    "Volume", "Pan", "Pitch",
    "Osc1", "O1-Vol", "O1-Shape", "O1-Pitch", "O1-SubP",
    "Osc2", "O2-Vol", "O2-Shape", "O2-Pitch", "O2-SubP",
    "Osc3", "O3-Vol", "O3-Shape", "O3-Pitch", "O3-SubP",
    "Attack", "Decay", "Sustain", "Release",
    "Arp-Type", "Arp-Time", "Arp-Chord", "Arp-Range",
    "LFO1", "L1-Per", "L1-Aim", "L1-Min", "L1-Max",
    "LFO2", "L2-Per", "L2-Aim", "L2-Min", "L2-Max",
    "E1-Aim", "E1-Note", "E1-Val", "E1-Rel",
    "E2-Aim", "E2-Note", "E2-Val", "E2-Rel",
    "E3-Aim", "E3-Note", "E3-Val", "E3-Rel",
    "E4-Aim", "E4-Note", "E4-Val", "E4-Rel",
    "LPFilter", "Cutoff", "Res", "F-Env", "F-Att", "F-Dec", "F-Sus", "F-Rel",
    "Porta", "Po Wet", "Comp",
};

const char* const kNoParameterName = "Nothin'";

enum DisplayRule {
    kTwoDecimals, kPan, kSemitones, kNoText, kWaveShape, kFine, kShortTime, kLongTime,
    kArpType, kArpTime, kChord, kArpRange, kSwitch, kLfoPeriod, kLfoAim, kLfoBound,
    kEventAim, kNote, kEventValue, kCompressor,
};

const DisplayRule kDisplayRules[kParameterCount] = {
    kTwoDecimals, kPan, kSemitones,
    kNoText, kTwoDecimals, kWaveShape, kSemitones, kFine,
    kNoText, kTwoDecimals, kWaveShape, kSemitones, kFine,
    kNoText, kTwoDecimals, kWaveShape, kSemitones, kFine,
    kShortTime, kShortTime, kTwoDecimals, kLongTime,
    kArpType, kArpTime, kChord, kArpRange,
    kSwitch, kLfoPeriod, kLfoAim, kLfoBound, kLfoBound,
    kSwitch, kLfoPeriod, kLfoAim, kLfoBound, kLfoBound,
    kEventAim, kNote, kEventValue, kEventValue,
    kEventAim, kNote, kEventValue, kEventValue,
    kEventAim, kNote, kEventValue, kEventValue,
    kEventAim, kNote, kEventValue, kEventValue,
    kSwitch, kTwoDecimals, kTwoDecimals, kTwoDecimals, kShortTime, kShortTime, kTwoDecimals, kLongTime,
    kSwitch, kTwoDecimals, kCompressor,
};

const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

bool isValidIndex(int index) { return index >= 0 && index < kParameterCount; }

}  // namespace

int truncToInt(float x) {
    if (!(x == x)) return 0;
    if (x >= 2147483520.0f) return 2147483647;  // largest float below 2^31
    if (x <= -2147483648.0f) return -2147483647 - 1;
    return (int)x;
}

// Stray host values far outside 0..1 are held to a span the engine can add to.
static int timeSamples(float samples) {
    const int longest = 1 << 30;
    int n = truncToInt(samples);
    return n < longest ? n : longest;
}

int shortTimeSamples(float v) { return timeSamples(v * v * 50000.0f); }

int longTimeSamples(float v) { return timeSamples(v * v * 160000.0f); }

int coarseSemitones(float v) { return truncToInt((v - 0.5f) * 48.0f); }

float fineSemitones(float v) { return (v - 0.5f) * 2.0f; }

float lfoPeriodBeats(float v) { return extendedPow(4096.0f, v) * 0.125f; }

int lfoAimTarget(float v) { return kLfoTargets[choiceIndex(v, kLfoTargetCount)]; }

int eventAimTarget(float v) { return choiceIndex(v, kNoEventTarget + 1); }

bool isModulatorParameter(int index) {
    switch (index) {
        case 28: case 29: case 30: case 33: case 34: case 35:
        case 36: case 38: case 39: case 40: case 42: case 43:
        case 44: case 46: case 47: case 48: case 50: case 51:
            return true;
        default:
            return index >= kParameterCount;
    }
}

int modulationTarget(int index, const float* values) {
    switch (index) {
        case 28: case 29: case 30: return lfoAimTarget(values[28]);
        case 33: case 34: case 35: return lfoAimTarget(values[33]);
        case 36: case 38: case 39:
        case 40: case 42: case 43:
        case 44: case 46: case 47:
        case 48: case 50: case 51: {
            int aim = kParamEvent1Aim + (index - kParamEvent1Aim) / kParamEventStride * kParamEventStride;
            return eventAimTarget(values[aim]);
        }
        default: return -1;
    }
}

const char* parameterName(int index) { return isValidIndex(index) ? kParameterNames[index] : kNoParameterName; }

bool formatParameterDisplay(int index, float v, const float* values, char* text, size_t capacity) {
    if (!isValidIndex(index) || !text) return false;
    switch (kDisplayRules[index]) {
        case kTwoDecimals: return formatHostText(text, capacity, "%.2f", v);
        case kPan:
            if (v == 0.5f) return copyHostText(text, capacity, "Center");
            if (v < 0.5f) return formatHostText(text, capacity, "%d%% Left", truncToInt(100.0f - 200.0f * v));
            return formatHostText(text, capacity, "%d%% right", truncToInt(200.0f * v) - 100);
        case kSemitones: return formatHostText(text, capacity, "%+d", coarseSemitones(v));
        case kNoText: return false;
        case kWaveShape: return copyHostText(text, capacity, kWaveShapeNames[waveShapeIndex(v)]);
        case kFine: return formatHostText(text, capacity, "%+.2f", fineSemitones(v));
        case kShortTime: return formatHostText(text, capacity, "%d", shortTimeSamples(v));
        case kLongTime: return formatHostText(text, capacity, "%d", longTimeSamples(v));
        case kArpType: return copyHostText(text, capacity, kArpTypeNames[choiceIndex(v, kArpTypeCount)]);
        case kArpTime:
            return formatHostText(text, capacity, "%.2f", kArpTimeFactors[choiceIndex(v, kArpTimeCount)]);
        case kChord: return copyHostText(text, capacity, kChordTable[choiceIndex(v, kChordCount)].name);
        case kArpRange: return formatHostText(text, capacity, "%d", choiceIndex(v, 4) + 1);
        case kSwitch: return copyHostText(text, capacity, v >= 0.5f ? "On" : "Off");
        case kLfoPeriod: return formatHostText(text, capacity, "%.2f", lfoPeriodBeats(v));
        case kLfoAim: return copyHostText(text, capacity, parameterName(lfoAimTarget(v)));
        case kEventAim: return copyHostText(text, capacity, parameterName(eventAimTarget(v)));
        case kNote: {
            int note = truncToInt(128.0f * v);
            if (note < 0) note = 0;
            return formatHostText(text, capacity, "%s%d", kNoteNames[note % 12], note / 12);
        }
        case kLfoBound:
        case kEventValue: {
            // The bound or value is shown on the scale of the parameter it will move.
            int target = modulationTarget(index, values);
            if (isModulatorParameter(target)) return copyHostText(text, capacity, "");
            return formatParameterDisplay(target, v, values, text, capacity);
        }
        case kCompressor: return formatHostText(text, capacity, "%.2f", 2.0f * v - 1.0f);
    }
    return false;
}
