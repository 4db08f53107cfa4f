// SynthPlugin: the audio thread's block render and the output stage around the engine.
#include "plugin/denormal_guard.h"
#include "plugin/output_stage.h"
#include "plugin/synth_plugin.h"

#include <algorithm>

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

// The first sample of the next `frames` at which a running LFO writes its target, as an
// offset from the sample clock, or frames when none does. Parameter values change only
// at those samples, so until then the engine can render in one run.
VstInt32 SynthPlugin::framesBeforeModulation(VstInt32 frames) const {
    int64_t next = sampleClock + frames;
    for (int k = 0; k < kLfoCount; ++k) {
        if (values[kParamLfo1 + kParamLfoStride * k] < 0.5f) continue;
        const int64_t earliest = std::max<int64_t>(sampleClock, int64_t{lfos[k].holdUntil} + 1);
        const int64_t tick = (earliest + kModulationInterval - 1) / kModulationInterval * kModulationInterval;
        next = std::min(next, tick);
    }
    return static_cast<VstInt32>(next - sampleClock);
}

void SynthPlugin::renderBlock(const float* input, float** outputs, VstInt32 frames, bool replacing) {
    // Without both output channels there is nowhere to write a sample.
    if (!outputs || !outputs[0] || !outputs[1]) frames = 0;
    syncTempo();
    const SynthOutputStage stage(values[kParamVolume], values[kParamPan], values[kParamComp]);
    float* left = frames > 0 ? outputs[0] : nullptr;
    float* right = frames > 0 ? outputs[1] : nullptr;
    constexpr VstInt32 kRunFrames = 256;
    float engineSamples[kRunFrames];
    VstInt32 done = 0;
    while (done < frames) {
        // A run ends with the sample at which an LFO writes, so the write lands after it.
        const VstInt32 beforeTick = framesBeforeModulation(frames - done);
        const bool ticks = beforeTick < frames - done;
        const VstInt32 run = std::min(ticks ? beforeTick + 1 : frames - done, kRunFrames);
        if (engine.isSilent()) {
            // No voice can start inside the block: no engine work per sample.
            engine.skipSilence(run);
            stage.writeSilence(left + done, right + done, run, replacing);
        } else {
            engine.renderBlock(input ? input + done : nullptr, engineSamples, run);
            stage.writeRun(engineSamples, left + done, right + done, run, replacing);
        }
        done += run;
        sampleClock += run;
        if (ticks && run == beforeTick + 1) {
            // The tick belongs to the run's last sample, before the clock moves past it.
            --sampleClock;
            modulationTick();
            ++sampleClock;
        }
    }
    if (editorLink) {
        editorLink->showActiveVoices(engine.activeVoiceCount());
        editorLink->requestRefresh();
    }
}
