// AudioEffectX: the later half of the dispatcher and the extended host requests.
#include "vst2/audio_effect_x.h"

#include "vst2/aeff_editor.h"

VstInt32 AudioEffectX::getPlugCategory() {
    return (aeffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 size, float rate) {
    // Only the base fields: derived state such as an engine's own rate copy stays.
    blockSize = size;
    if (isUsableSampleRate(rate)) sampleRate = rate;
}

void AudioEffectX::wantEvents(VstInt32 filter) {
    callHost(audioMasterWantMidi, 0, filter);
}

VstIntPtr AudioEffectX::tempoAt(VstInt32 position) {
    return callHost(audioMasterTempoAt, 0, position);
}

// Controls that are not parameters (the editor's help button) also bracket their
// gestures; a host must never hear of a parameter index it does not have.
void AudioEffectX::beginEdit(VstInt32 index) {
    if (index >= 0 && index < aeffect.numParams) callHost(audioMasterBeginEdit, index);
}

void AudioEffectX::endEdit(VstInt32 index) {
    if (index >= 0 && index < aeffect.numParams) callHost(audioMasterEndEdit, index);
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents:
            if (!ptr) return 0;
            processEvents(static_cast<VstEvents*>(ptr));
            return 1;
        case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
        case effString2Parameter: return 0;
        case effGetNumProgramCategories: return getNumCategories();
        case effGetProgramNameIndexed:
            return text && getProgramNameIndexed((VstInt32)value, index, text) ? 1 : 0;
        case effCopyProgram: return copyProgram(index) ? 1 : 0;
        case effConnectInput:
        case effConnectOutput: return 1;
        case effGetPlugCategory: return getPlugCategory();
        case effSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate((VstInt32)value, opt);
            return 1;
        case effGetEffectName: return text && getEffectName(text) ? 1 : 0;
        case effGetVendorString: return text && getVendorString(text) ? 1 : 0;
        case effGetProductString: return text && getProductString(text) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effCanDo: return text ? canDo(text) : 0;
        case effKeysRequired: return keysRequired() ? 0 : 1;
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (!editor) return 0;
            VstKeyCode key;
            key.character = index;
            key.virt = (unsigned char)value;
            // A number outside the int range (or NaN) has no integer to truncate to;
            // converting it would be undefined, so such a key carries no modifiers.
            const bool representable = opt >= -2147483648.0f && opt < 2147483648.0f;
            key.modifier = representable ? (unsigned char)(VstInt32)opt : 0;
            return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        }
        case effSetEditKnobMode: return editor ? editor->setKnobMode((VstInt32)value) : 0;
        case effGetCurrentMidiProgram: return getCurrentMidiProgram();
        default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
