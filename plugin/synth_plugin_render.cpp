// SynthPlugin: the audio thread's block render and the output stage around the engine.
#include "plugin/denormal_guard.h"
#include "plugin/output_stage.h"
#include "plugin/synth_plugin.h"

namespace {
constexpr int64_t kModulationInterval = 50;  // samples between LFO writes
}

void SynthPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    DenormalGuard flushDenormals;
    beginAudioCall();
    renderBlock(inputs ? inputs[0] : nullptr, outputs, sampleFrames, false);
}

void SynthPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    DenormalGuard flushDenormals;
    beginAudioCall();
    renderBlock(inputs ? inputs[0] : nullptr, outputs, sampleFrames, true);
}

void SynthPlugin::syncTempo() {
    const float tempo = readHostTempo();
    if (tempo == hostTempo) return;
    retimeToTempo(tempo);
}

// The LFO periods and the arpeggiator step are counted in beats of the host tempo:
// their parameters are applied again, exactly as a change of the knob would.
void SynthPlugin::retimeToTempo(float tempo) {
    hostTempo = tempo;
    const VstInt32 beatLocked[] = {kParamLfo1 + 1, kParamLfo1 + kParamLfoStride + 1, kParamArpTime};
    for (VstInt32 index : beatLocked) applyParameter(index, values[index]);
}

void SynthPlugin::modulationTick() {
    for (int k = 0; k < kLfoCount; ++k) {
        if (!lfoRunning(k)) continue;
        const float value = lfos[k].valueAt(sampleClock);
        // Through the virtual setParameter, exactly like a host change.
        setParameter(lfoTarget(k), value);
    }
}

void SynthPlugin::renderBlock(const float* input, float** outputs, VstInt32 frames, bool replacing) {
    // Without both output channels there is nowhere to write a sample.
    if (!outputs || !outputs[0] || !outputs[1]) frames = 0;
    syncTempo();
    const SynthOutputStage stage(values[kParamVolume], values[kParamPan], values[kParamComp]);
    float* left = frames > 0 ? outputs[0] : nullptr;
    float* right = frames > 0 ? outputs[1] : nullptr;
    for (VstInt32 i = 0; i < frames; ++i) {
        const float engineSample = engine.renderSample(input ? input[i] : 0.0f);
        stage.write(engineSample, left, right, i, replacing);
        if (sampleClock % kModulationInterval == 0) modulationTick();
        ++sampleClock;
    }
    if (editorLink) {
        editorLink->showActiveVoices(engine.activeVoiceCount());
        editorLink->requestRefresh();
    }
}
