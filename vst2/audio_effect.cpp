// AudioEffect: the AEffect entry functions and the base half of the dispatcher.
#include "vst2/audio_effect.h"

#include <cmath>
#include <cstring>

#include "vst2/aeff_editor.h"

namespace {

// The host only knows the AEffect record; its object field leads back to us.
AudioEffect* effectOf(AEffect* record) {
    return record ? static_cast<AudioEffect*>(record->object) : nullptr;
}

VstIntPtr VSTCALLBACK dispatchEntry(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) {
    AudioEffect* effect = effectOf(record);
    if (!effect) return 0;
    VstIntPtr result = effect->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        // The host gives the instance up: nothing may touch it after this.
        delete effect;
        return 1;
    }
    return result;
}

void VSTCALLBACK processEntry(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = effectOf(record)) effect->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processReplacingEntry(AEffect* record, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = effectOf(record)) effect->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterEntry(AEffect* record, VstInt32 index, float value) {
    if (AudioEffect* effect = effectOf(record)) effect->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* record, VstInt32 index) {
    AudioEffect* effect = effectOf(record);
    return effect ? effect->getParameter(index) : 0.0f;
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams)
    : hostCallback(hostCallback), numPrograms(numPrograms), numParams(numParams) {
    std::memset(&aeffect, 0, sizeof(aeffect));
    aeffect.magic = kEffectMagic;
    aeffect.dispatcher = dispatchEntry;
    aeffect.process = processEntry;
    aeffect.setParameter = setParameterEntry;
    aeffect.getParameter = getParameterEntry;
    aeffect.numPrograms = numPrograms;
    aeffect.numParams = numParams;
    aeffect.numInputs = 1;
    aeffect.numOutputs = 2;
    aeffect.flags = 0;
    aeffect.ioRatio = 1.0f;
    aeffect.object = this;
    aeffect.uniqueID = 0;
    aeffect.version = 1;
    aeffect.processReplacing = processReplacingEntry;
    aeffect.processDoubleReplacing = nullptr;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setSampleRate(float rate) {
    if (isUsableSampleRate(rate)) sampleRate = rate;
}

bool AudioEffect::isUsableSampleRate(float rate) {
    return rate > 0.0f && std::isfinite(rate);
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return hostCallback ? hostCallback(&aeffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(VstInt32 flag, bool on) {
    if (on)
        aeffect.flags |= flag;
    else
        aeffect.flags &= ~flag;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 1;
        case effSetProgram:
            if (value >= 0 && value < numPrograms) setProgram((VstInt32)value);
            return 0;
        case effGetProgram: return getProgram();
        // Texts from and to the host: a missing buffer is answered with 0.
        case effSetProgramName: if (text) setProgramName(text); return 0;
        case effGetProgramName: if (text) getProgramName(text); return 0;
        case effGetParamLabel: if (text) getParameterLabel(index, text); return 0;
        case effGetParamDisplay: if (text) getParameterDisplay(index, text); return 0;
        case effGetParamName: if (text) getParameterName(index, text); return 0;
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize((VstInt32)value); return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect:
            if (!editor || !ptr) return 0;
            return editor->getRect(static_cast<ERect**>(ptr));
        case effEditOpen: return editor ? editor->open(ptr) : 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify: return vstFourCC('N', 'v', 'E', 'f');
        case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
        case effSetChunk: return ptr ? setChunk(ptr, (VstInt32)value, index != 0) : 0;
        default: return 0;
    }
}
