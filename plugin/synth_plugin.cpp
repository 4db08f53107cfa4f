// SynthPlugin: construction, identity, host dispatch and the program operations.
#include "plugin/synth_plugin.h"

#include <cstring>

#include "plugin/host_text.h"
#include "plugin/trace_line.h"

namespace {
const char* const kEffectName = "Zelvik";
const char* const kVendorName = "Quillfern";
const char* const kProductName = "Zel vik";
constexpr VstInt32 kUniqueId = vstFourCC('Z', 'l', 'v', 'k');
constexpr VstInt32 kProgramCount = 1;
}  // namespace

SynthPlugin::SynthPlugin(audioMasterCallback hostCallback, SynthEditorFactory createEditor)
    : AudioEffectX(hostCallback, kProgramCount, kParameterCount), audioThread(currentThreadIdentity()) {
    programs = new SynthProgram[kProgramCount];
    for (int i = 0; i < kParameterCount; ++i) values[i] = programs[0].values[i].load();
    if (hostCallback) {
        aeffect.numInputs = 1;
        aeffect.numOutputs = 2;
        setFlag(effFlagsCanReplacing, true);
        setFlag(effFlagsHasVu, false);
        setFlag(effFlagsHasClip, false);
        setFlag(effFlagsIsSynth, true);
        aeffect.uniqueID = kUniqueId;
    }
    // The editor registers itself, which makes the plug-in report an editor.
    if (createEditor) editorLink = createEditor(this);
    initProcess();
    if (programs) setProgram(0);
}

SynthPlugin::~SynthPlugin() {
    delete[] programs;
    programs = nullptr;
    // The base destructor deletes the editor.
}

void SynthPlugin::initProcess() {
    trace("InitProcess\n");
    engine.resetEngine();
    sampleClock = 0;
}

VstIntPtr SynthPlugin::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    // Idle and event delivery come many times a second; they are not traced.
    if (kTraceEnabled && opcode != effEditIdle && opcode != effProcessEvents) {
        char line[kTraceLineSize];
        formatDispatchTrace(line, opcode, index, value, ptr, opt);
        emitTraceLine(line);
    }
    return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}

void SynthPlugin::setSampleRate(float rate) {
    if (!isUsableSampleRate(rate)) return;
    const bool changed = rate != sampleRate;
    AudioEffectX::setSampleRate(rate);
    engine.setSampleRate(rate);
    // A beat has another number of samples at the new rate: without this the arpeggio and
    // the LFOs would drift off the host tempo until the tempo or their knob next changed.
    if (changed) retimeToTempo(hostTempo);
}

void SynthPlugin::setBlockSize(VstInt32 size) {
    AudioEffectX::setBlockSize(size);
}

void SynthPlugin::resume() {
    trace("Resume\n");
    wantEvents(1);
    // Running LFOs pick up from wherever their targets were left meanwhile.
    for (int k = 0; k < kLfoCount; ++k)
        if (lfoRunning(k)) lfos[k].reanchor(values[lfoTarget(k)]);
}

// Programs: there is exactly one, and it always holds the current values.

void SynthPlugin::setProgram(VstInt32 program) {
    trace("SetProgram\n");
    if (program < 0 || program >= kProgramCount) return;
    // Audio-thread modulators read the number: write it only when it changes.
    if (curProgram != program) curProgram = program;
    for (int i = 0; i < kParameterCount; ++i) setParameter(i, programs[curProgram].values[i]);
}

void SynthPlugin::setProgramName(char* name) {
    copyHostText(programs[curProgram].name, kProgramNameSize, name);
}

void SynthPlugin::getProgramName(char* name) {
    copyHostText(name, kProgramNameSize, programs[curProgram].name);
}

bool SynthPlugin::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index != 0 || !text) return false;
    return copyHostText(text, kProgramNameSize, programs[0].name);
}

// The only program is the current one: copying it onto itself leaves everything as it is.
bool SynthPlugin::copyProgram(VstInt32 destination) { return destination == 0; }

// Identity.

bool SynthPlugin::getEffectName(char* name) { return copyHostText(name, kEffectNameSize, kEffectName); }

bool SynthPlugin::getVendorString(char* text) { return copyHostText(text, kVendorTextSize, kVendorName); }

bool SynthPlugin::getProductString(char* text) { return copyHostText(text, kVendorTextSize, kProductName); }

VstInt32 SynthPlugin::canDo(const char* text) {
    if (!text) return 0;
    trace("can do : %s\n", text);
    if (std::strcmp(text, "receiveVstEvents") == 0) return 1;
    if (std::strcmp(text, "receiveVstMidiEvent") == 0) return 1;
    return -1;
}
