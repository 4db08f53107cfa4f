// SynthPlugin: the audio thread's block render and the output stage around the engine.
#include "editor/synth_editor.h"
#include "plugin/output_stage.h"
#include "plugin/synth_plugin.h"

namespace {
constexpr int64_t kModulationInterval = 50;  // samples between LFO writes
}

void SynthPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    renderBlock(inputs ? inputs[0] : nullptr, outputs, sampleFrames, false);
}

void SynthPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    renderBlock(inputs ? inputs[0] : nullptr, outputs, sampleFrames, true);
}

void SynthPlugin::syncTempo() {
    float tempo = readHostTempo();
    if (tempo == hostTempo) return;
    hostTempo = tempo;
}

void SynthPlugin::modulationTick() {}

void SynthPlugin::renderBlock(const float* input, float** outputs, VstInt32 frames, bool replacing) {
    // Without both output channels there is nowhere to write a sample.
    if (!outputs || !outputs[0] || !outputs[1]) frames = 0;
    syncTempo();
    const SynthOutputStage stage(values[kParamVolume], values[kParamPan], values[kParamComp]);
    float* left = outputs ? outputs[0] : nullptr;
    float* right = outputs ? outputs[1] : nullptr;
    for (VstInt32 i = 0; i < frames; ++i) {
        float inputSample = input ? input[i] : 0.0f;
        (void)inputSample;
        float engineSample = 0.0f;
        stage.write(engineSample, left, right, i, replacing);
        if (sampleClock % kModulationInterval == 0) modulationTick();
        ++sampleClock;
    }
    if (synthEditor) {
        synthEditor->showActiveVoices(0);
        synthEditor->requestRefresh();
    }
}
