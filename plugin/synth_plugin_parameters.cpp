// SynthPlugin: the one path every parameter change takes, and the parameter texts.
#include <cmath>

#include "engine/synth_math.h"
#include "plugin/engine_parameters.h"
#include "plugin/host_text.h"
#include "plugin/synth_plugin.h"

namespace {
constexpr float kFallbackTempo = 140.0f;  // beats per minute when the host gives none

bool isParameter(VstInt32 index) { return index >= 0 && index < kParameterCount; }
}  // namespace

float SynthPlugin::readHostTempo() {
    // The product is rounded to float once, so a tempo like 40.0003 is the float nearest it.
    float tempo = static_cast<float>(static_cast<double>(tempoAt(0)) * 0.0001);
    // A zero, negative or unrepresentable tempo would make beat-based lengths
    // zero, negative or infinite.
    if (!(tempo > 0.0f) || !std::isfinite(tempo)) return kFallbackTempo;
    return tempo;
}

void SynthPlugin::setParameter(VstInt32 index, float value) { storeParameter(ParameterChange{index, value, false}); }

void SynthPlugin::storeParameter(const ParameterChange& change) {
    if (!isParameter(change.index)) return;
    programs[curProgram].values[change.index] = change.value;
    values[change.index] = change.value;
    if (onAudioThread()) {
        applyChange(change);
    } else if (!queuedChanges.push(change)) {
        reapplyAll = true;  // the values are stored; the audio thread catches up from them
    }
    if (editorLink) editorLink->requestRefresh();
}

void SynthPlugin::applyChange(const ParameterChange& change) {
    hostTempo = readHostTempo();
    applyParameter(change.index, change.value);
    if (!change.fromEditor) return;
    // An LFO moving this parameter carries on from where the user put it.
    for (int k = 0; k < kLfoCount; ++k)
        if (lfoRunning(k) && lfoTarget(k) == change.index) lfos[k].reanchor(values[change.index]);
}

void SynthPlugin::beginAudioCall() {
    audioThread.store(currentThreadIdentity(), std::memory_order_relaxed);
    ParameterChange change;
    while (queuedChanges.pop(change)) applyChange(change);
    if (reapplyAll.exchange(false)) {
        for (VstInt32 i = 0; i < kParameterCount; ++i) applyChange(ParameterChange{i, values[i], false});
    }
}

void SynthPlugin::applyParameter(VstInt32 index, float v) {
    switch (index) {
        case 27: case 32:
            lfos[(index - 27) / kParamLfoStride].setPeriod(lfoPeriodBeats(v) * samplesPerBeat());
            return;
        case 28: case 33:
            // A new aim rests the LFO for one second, so the new target is not yanked at once.
            lfos[(index - 28) / kParamLfoStride].holdUntil = truncToInt(sampleRate) + sampleClock;
            return;
        case 29: case 34: lfos[(index - 29) / kParamLfoStride].minValue = v; return;
        case 30: case 35: lfos[(index - 30) / kParamLfoStride].maxValue = v; return;
        default: {
            float current[kParameterCount];
            copyValues(current);
            applyEngineParameter(engine, index, current, samplesPerBeat());
            return;
        }
    }
}

float SynthPlugin::getParameter(VstInt32 index) {
    return isParameter(index) ? values[index].load() : 0.0f;
}

void SynthPlugin::setParameterFromEditor(VstInt32 index, float value) {
    storeParameter(ParameterChange{index, value, true});
    if (hostCallback) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

bool SynthPlugin::lfoRunning(int k) const {
    return values[kParamLfo1 + kParamLfoStride * k] >= 0.5f && sampleClock > lfos[k].holdUntil;
}

int SynthPlugin::lfoTarget(int k) const {
    return lfoAimTarget(values[kParamLfo1 + kParamLfoStride * k + 2]);
}

void SynthPlugin::getParameterName(VstInt32 index, char* text) {
    copyHostText(text, kParameterTextSize, parameterName(index));
}

void SynthPlugin::getParameterLabel(VstInt32 /*index*/, char* label) {
    // No parameter has a unit; the dependent rows' targets have none either.
    copyHostText(label, kParameterTextSize, "");
}

void SynthPlugin::getParameterDisplay(VstInt32 index, char* text) {
    if (!isParameter(index)) return;
    float current[kParameterCount];
    copyValues(current);
    formatParameterDisplay(index, current[index], current, text, kParameterTextSize);
}

int SynthPlugin::modulationTarget(int index) const {
    float current[kParameterCount];
    copyValues(current);
    return ::modulationTarget(index, current);
}

void SynthPlugin::copyValues(float (&out)[kParameterCount]) const {
    for (int i = 0; i < kParameterCount; ++i) out[i] = values[i].load(std::memory_order_relaxed);
}
