// SynthPlugin: the instrument as the host sees it. Owns the parameter values, the
// program, the sound engine, the two LFOs and the editor.
//
// Threads. The audio thread is the thread that last entered process, processReplacing or
// processEvents; before any block, the thread that created the plug-in. Only it touches the
// engine, the LFOs, the tempo and the sample clock. The parameter values are atomics that
// every thread may read. A setParameter from another thread stores the value at once (so
// getParameter and the display answer it) and queues the engine-side change, which the
// audio thread applies, in arrival order, at the start of its next call.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/synth_engine.h"
#include "engine/synth_lfo.h"
#include "vst2/audio_effect_x.h"
#include "plugin/synth_parameters.h"
#include "plugin/parameter_queue.h"
#include "plugin/synth_editor_link.h"
#include "plugin/synth_program.h"
#include "plugin/thread_identity.h"

class SynthPlugin : public AudioEffectX {
public:
    // Runs inside main on the host's loading thread; asks the host for its tempo
    // once per parameter while it applies the first program. The editor, if any, comes
    // from createEditor, called before the first program is applied.
    explicit SynthPlugin(audioMasterCallback hostCallback, SynthEditorFactory createEditor = nullptr);
    ~SynthPlugin() override;

    // Any thread (host automation, editor, or the audio thread for modulators); never
    // blocks or allocates. On the audio thread it applies at once and asks the host for its
    // tempo; elsewhere it stores the value and queues the change for the audio thread.
    void setParameter(VstInt32 index, float value) override;
    // Any thread: the value last set, from whichever thread.
    float getParameter(VstInt32 index) override;
    // Audio thread (whichever thread calls them becomes it).
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // User-interface thread, except effProcessEvents on the audio thread.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // User-interface thread, unless noted. The display and name texts read only the stored
    // values and may come from any thread.
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

    // Any thread: the parameter a dependent read-out shows, or -1.
    int modulationTarget(int index) const;
    // Any thread: the current values, each read atomically.
    void copyValues(float (&out)[kParameterCount]) const;
    const SynthProgram& storedProgram() const { return programs[0]; }  // the only program
    float getHostTempo() const { return hostTempo; }
    int64_t getSampleClock() const { return sampleClock; }
    const SynthEngine& getEngine() const { return engine; }
    const SynthLfo& getLfo(int k) const { return lfos[k]; }

    static constexpr int kLfoCount = 2;

private:
    void initProcess();
    bool onAudioThread() const { return audioThread.load(std::memory_order_relaxed) == currentThreadIdentity(); }
    // First thing in every audio call: the calling thread becomes the audio thread and
    // applies what other threads queued.
    void beginAudioCall();
    // Stores a change for every thread to read, and applies it now on the audio thread or
    // queues it for the audio thread's next call.
    void storeParameter(const ParameterChange& change);
    // The engine-side half of a parameter change; audio thread.
    void applyChange(const ParameterChange& change);
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

    std::atomic<float> values[kParameterCount];
    SynthProgram* programs = nullptr;
    SynthEngine engine;
    SynthLfo lfos[kLfoCount];
    float hostTempo = 0.0f;
    // 64 bits: a 32-bit count wraps after 13.5 hours at 44.1 kHz.
    int64_t sampleClock = 0;
    SynthEditorLink* editorLink = nullptr;

    std::atomic<uint64_t> audioThread;
    ParameterQueue queuedChanges;
    // Set when the queue was full: the audio thread then applies every stored value.
    std::atomic<bool> reapplyAll{false};
};
