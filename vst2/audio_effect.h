// The plain VST 2 base object: host callback, AEffect record, editor and the first
// generation of host requests, each turned into a virtual operation.
#pragma once

#include "vst2/vst2_abi.h"

class AEffEditor;

class AudioEffect {
public:
    // Runs on the host's loading thread, inside main.
    AudioEffect(audioMasterCallback hostCallback, VstInt32 numPrograms, VstInt32 numParams);
    // Destroys the editor last. Runs on the user-interface thread (effClose).
    virtual ~AudioEffect();

    // Parameters: called by the host from any thread; must not block.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }

    // Audio: the host's audio thread; never blocks or allocates.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    // Host requests; the user-interface thread unless the opcode says otherwise.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { if (name) *name = 0; }
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { if (label) *label = 0; }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { if (text) *text = 0; }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { if (text) *text = 0; }
    virtual float getVu() { return 0.0f; }
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}

    // Stores the editor (owned from now on) and tells the host there is one.
    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }
    AEffect* getAeffect() { return &aeffect; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    audioMasterCallback getHostCallback() const { return hostCallback; }

    // Asks the host for idle time (audioMasterIdle). User-interface thread.
    void masterIdle();

protected:
    // One request to the host; answers 0 when there is no host callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setFlag(VstInt32 flag, bool on);
    // A usable sample rate is positive and finite; anything else would turn time
    // spans into zeros or infinities downstream.
    static bool isUsableSampleRate(float rate);

    audioMasterCallback hostCallback;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect aeffect;
};
