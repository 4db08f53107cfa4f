// SynthPlugin: the instrument as the host sees it. Owns the parameter values, the
// program, the sound engine, the two LFOs and the editor.
#pragma once

#include <cstdint>

#include "engine/synth_engine.h"
#include "engine/synth_lfo.h"
#include "plugin/audio_effect_x.h"
#include "plugin/synth_parameters.h"
#include "plugin/synth_program.h"

class SynthEditor;

class SynthPlugin : public AudioEffectX {
public:
    // Runs inside main on the host's loading thread; asks the host for its tempo
    // once per parameter while it applies the first program.
    explicit SynthPlugin(audioMasterCallback hostCallback);
    ~SynthPlugin() override;

    // Any thread (host automation, editor, or the audio thread for modulators);
    // calls the host for its tempo, never blocks or allocates.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    // Audio thread.
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // User-interface thread, except effProcessEvents on the audio thread.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // User-interface thread, unless noted.
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void resume() override;
    VstInt32 processEvents(VstEvents* events) override;  // audio thread
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool copyProgram(VstInt32 destination) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(const char* text) override;

    // Renders one block: added to the outputs, or overwriting them when replacing.
    // input may be null (silence). Audio thread; no allocation, no blocking.
    virtual void renderBlock(const float* input, float** outputs, VstInt32 frames, bool replacing);
    // A change made by the user in the editor: applied, re-anchors an LFO aimed at
    // it, and reported to the host as automation. User-interface thread.
    virtual void setParameterFromEditor(VstInt32 index, float value);

    // For the editor: the parameter a dependent read-out shows, or -1.
    int modulationTarget(int index) const { return ::modulationTarget(index, values); }
    const SynthProgram& currentProgram() const { return programs[0]; }
    float getHostTempo() const { return hostTempo; }
    int64_t getSampleClock() const { return sampleClock; }
    const SynthEngine& getEngine() const { return engine; }
    const SynthLfo& getLfo(int k) const { return lfos[k]; }

    static constexpr int kLfoCount = 2;

private:
    void initProcess();
    // The engine or LFO setting a parameter controls, derived from the current values.
    void applyParameter(VstInt32 index, float v);
    // LFO k runs while its switch is on and its rest after an aim change is over.
    bool lfoRunning(int k) const;
    int lfoTarget(int k) const;
    // Event modulator k watches note and has somewhere to write.
    bool eventModulatorActive(int k, int note) const;
    void handleMidiEvent(const VstMidiEvent& event, int pass);
    // The host tempo in beats per minute; 140 when the host has none to give.
    float readHostTempo();
    float samplesPerBeat() const { return 60.0f / hostTempo * sampleRate; }
    void syncTempo();
    void retimeToTempo(float tempo);
    // Every 50 samples each running LFO writes its value into its target.
    void modulationTick();
    VstInt32 framesBeforeModulation(VstInt32 frames) const;

    float values[kParameterCount];
    SynthProgram* programs = nullptr;
    SynthEngine engine;
    SynthLfo lfos[kLfoCount];
    float hostTempo = 0.0f;
    // 64 bits: a 32-bit count wraps after 13.5 hours at 44.1 kHz.
    int64_t sampleClock = 0;
    SynthEditor* synthEditor = nullptr;
};
