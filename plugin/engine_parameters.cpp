// The engine side of the parameter table: value mappings into engine settings.
#include "plugin/engine_parameters.h"

#include "engine/synth_engine.h"
#include "engine/synth_math.h"
#include "plugin/synth_parameters.h"

namespace {

float limit(float x, float low, float high) { return x < low ? low : (x > high ? high : x); }

void updateOscMix(SynthEngine& engine, const float* values) {
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        engine.oscillators[o].level = values[kParamOsc1Volume + kParamOscStride * o];
        // Strictly above the middle: a switch at exactly 0.5 still adds.
        engine.oscillators[o].multiply = values[kParamOsc1 + kParamOscStride * o] > 0.5f;
    }
}

void updateOscPitch(SynthEngine& engine, const float* values, int o) {
    const float coarse = values[kParamOsc1Pitch + kParamOscStride * o];
    const float fine = values[kParamOsc1Fine + kParamOscStride * o];
    engine.setOscPitch(o, (float)coarseSemitones(coarse) + fineSemitones(fine));
}

}  // namespace

void applyEngineParameter(SynthEngine& engine, int index, const float* values, float samplesPerBeat) {
    const float v = values[index];
    switch (index) {
        case kParamPitch: engine.setMasterPitch((float)coarseSemitones(v)); return;
        case 3: case 4: case 8: case 9: case 13: case 14: updateOscMix(engine, values); return;
        case 5: case 10: case 15:
            engine.oscillators[(index - kParamOsc1Shape) / kParamOscStride].shape = waveShapeIndex(v);
            return;
        case 6: case 7: updateOscPitch(engine, values, 0); return;
        case 11: case 12: updateOscPitch(engine, values, 1); return;
        case 16: case 17: updateOscPitch(engine, values, 2); return;
        case kParamAttack: engine.ampAttack = shortTimeSamples(v); return;
        case kParamDecay: engine.ampDecay = shortTimeSamples(v) + 1; return;
        case kParamSustain: engine.setAmpSustain(v); return;
        case kParamRelease: engine.ampRelease = longTimeSamples(v) + 10; return;
        case kParamArpType: engine.setArpType(v); return;
        case kParamArpTime: engine.setArpTime(v, samplesPerBeat); return;
        case kParamArpChord: engine.setArpChord(v); return;
        case kParamArpRange: engine.setArpRange(v); return;
        case kParamFilter: engine.filterOn = v >= 0.5f; return;
        case kParamCutoff: engine.setCutoff(v); return;
        case kParamResonance: engine.setResonance(v); return;
        case kParamFilterEnv: engine.filterEnvAmount = v; return;
        case kParamFilterAttack: engine.filterAttack = shortTimeSamples(v); return;
        case kParamFilterDecay: engine.filterDecay = shortTimeSamples(v) + 1; return;
        case kParamFilterSustain: engine.setFilterSustain(v); return;
        case kParamFilterRelease: engine.filterRelease = longTimeSamples(v) + 10; return;
        case kParamPorta: engine.portaOn = v >= 0.5f; return;
        case kParamPortaWet:
            engine.portaCoef = limit(extendedPow((1.0f - v) * 0.32f, 5.0f), 0.00001f, 0.9999f);
            return;
        default: return;  // read where they are used: output stage, LFOs, event modulators
    }
}

void applyEngineProgram(SynthEngine& engine, const float* values, float samplesPerBeat) {
    for (int index = 0; index < kParameterCount; ++index) applyEngineParameter(engine, index, values, samplesPerBeat);
}
