// Test fixture: a VST 2 instrument that makes the host's behaviour audible.
// Output 0: input 0 times the "Gain" parameter. Output 1: +note at each note-on's sample,
// -note at each note-off's. Output 2: the host tempo (BPM) asked at the block start, or -1
// while the plug-in is not resumed after being told its sample rate and block size, or -3
// for a block longer than that block size. Output 3: the host's ppqPos at the block start.
// effEditIdle plays a user turning "Mode" to 0.75 (begin edit, automate, end edit).
#include "vst2/vst2_host_abi.h"
#include "vst2/vst2_abi.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kParams = 3;
constexpr int kMaxEvents = 1024;
const char* const kNames[kParams] = {"Gain", "Mode", "Level"};

struct Probe {
    AEffect effect;
    audioMasterCallback host;
    float values[kParams] = {1.0f, 0.25f, 0.5f};
    char programName[32] = "Probe Init";
    bool resumed = false;
    bool setUpBeforeResume = false;
    float sampleRate = 0.0f;
    VstIntPtr blockSize = 0;
    int eventCount = 0;
    VstMidiEvent events[kMaxEvents];
};

Probe* probeOf(AEffect* effect) { return (Probe*)effect->object; }

void copyString(void* ptr, const char* text, size_t limit) {
    std::strncpy((char*)ptr, text, limit);
    ((char*)ptr)[limit - 1] = '\0';
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Probe* probe = probeOf(effect);
    switch (opcode) {
    case effClose:
        delete probe;
        return 1;
    case effGetProgramName:
        copyString(ptr, probe->programName, 25);
        return 0;
    case effSetProgramName:
        copyString(probe->programName, (const char*)ptr, 25);
        return 0;
    case effGetParamName:
        copyString(ptr, kNames[index], 9);
        return 0;
    case effGetParamLabel:
        copyString(ptr, index == 0 ? "x" : "", 9);
        return 0;
    case effGetParamDisplay:
        std::snprintf((char*)ptr, 9, "%d%%", (int)(probe->values[index] * 100.0f + 0.5f));
        return 0;
    case effSetSampleRate:
        probe->sampleRate = opt;
        return 0;
    case effSetBlockSize:
        probe->blockSize = value;
        return 0;
    case effMainsChanged:
        probe->resumed = value != 0;
        probe->setUpBeforeResume = probe->sampleRate > 0.0f && probe->blockSize > 0;
        return 0;
    case effProcessEvents: {
        VstEvents* list = (VstEvents*)ptr;
        for (int i = 0; i < list->numEvents && probe->eventCount < kMaxEvents; ++i)
            if (list->events[i]->type == kVstMidiType)
                probe->events[probe->eventCount++] = *(VstMidiEvent*)list->events[i];
        return 1;
    }
    case effEditIdle:
        probe->host(effect, audioMasterBeginEdit, 1, 0, nullptr, 0.0f);
        probe->values[1] = 0.75f;
        probe->host(effect, audioMasterAutomate, 1, 0, nullptr, 0.75f);
        probe->host(effect, audioMasterEndEdit, 1, 0, nullptr, 0.0f);
        return 0;
    case effGetEffectName:
        copyString(ptr, "Host Probe", 32);
        return 1;
    case effGetVendorString:
        copyString(ptr, "Zelvik Tests", 64);
        return 1;
    case effGetProductString:
        copyString(ptr, "Probe", 64);
        return 1;
    case effGetVendorVersion:
        return 7;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effGetVstVersion:
        return 2400;
    default:
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
    if (index >= 0 && index < kParams)
        probeOf(effect)->values[index] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    return index >= 0 && index < kParams ? probeOf(effect)->values[index] : 0.0f;
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Probe* probe = probeOf(effect);
    float tempo = -1.0f;
    float ppq = -1.0f;
    if (probe->resumed && probe->setUpBeforeResume) {
        tempo = (float)probe->host(effect, audioMasterTempoAt, 0, 0, nullptr, 0.0f) / 10000.0f;
        VstTimeInfo* time = (VstTimeInfo*)probe->host(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f);
        ppq = time ? (float)time->ppqPos : -2.0f;
    }
    if (frames > probe->blockSize)
        tempo = -3.0f;
    for (int i = 0; i < frames; ++i) {
        outputs[0][i] = inputs[0][i] * probe->values[0];
        outputs[1][i] = 0.0f;
        outputs[2][i] = tempo;
        outputs[3][i] = ppq;
    }
    for (int e = 0; e < probe->eventCount; ++e) {
        const VstMidiEvent& event = probe->events[e];
        int kind = event.midiData[0] & 0xF0;
        float note = (float)(unsigned char)event.midiData[1];
        if (event.deltaFrames < 0 || event.deltaFrames >= frames)
            continue; // lost: the test sees a missing marker
        if (kind == 0x90)
            outputs[1][event.deltaFrames] += note;
        else if (kind == 0x80)
            outputs[1][event.deltaFrames] -= note;
    }
    probe->eventCount = 0;
}

void process(AEffect*, float**, float**, VstInt32) {}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    Probe* probe = new Probe();
    AEffect& effect = probe->effect;
    std::memset(&effect, 0, sizeof effect);
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = process;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.processReplacing = processReplacing;
    effect.numPrograms = 1;
    effect.numParams = kParams;
    effect.numInputs = 1;
    effect.numOutputs = 4;
    effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
    effect.ioRatio = 1.0f;
    effect.object = probe;
    effect.uniqueID = vstFourCC('H', 'P', 'r', 'b');
    effect.version = 3;
    probe->host = host;
    return &effect;
}
