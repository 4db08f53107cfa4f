// The extended VST 2 base object: events, identity texts, canDo and the later
// host requests, on top of AudioEffect.
#pragma once

#include "vst2/audio_effect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(hostCallback, numPrograms, numParams) {}

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // The host's audio thread, before the block the events belong to.
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    // The remaining operations run on the user-interface thread and do not block.
    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual VstInt32 getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool copyProgram(VstInt32 /*destination*/) { return false; }
    virtual VstInt32 getPlugCategory();
    virtual void setBlockSizeAndSampleRate(VstInt32 size, float rate);
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 1; }
    virtual VstInt32 canDo(const char* /*text*/) { return 0; }
    virtual bool keysRequired() { return false; }
    virtual VstInt32 getVstVersion() { return 2200; }
    virtual VstInt32 getCurrentMidiProgram() { return -1; }

    // Requests to the host.
    // Asks for MIDI delivery (audioMasterWantMidi). Any thread.
    void wantEvents(VstInt32 filter = 1);
    // Raw host tempo at a sample position: beats per minute times 10000. Any thread.
    VstIntPtr tempoAt(VstInt32 position);
    // Brackets a user gesture on parameter index (audioMasterBeginEdit/EndEdit).
    // User-interface thread.
    void beginEdit(VstInt32 index);
    void endEdit(VstInt32 index);
};
