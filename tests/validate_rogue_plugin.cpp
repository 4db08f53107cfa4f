// Test fixture for `zelvik-render validate`: a small, well-behaved VST 2 instrument (a
// sine per held note, two parameters, a program name) that commits one chosen fault
// when ZELVIK_ROGUE_FAULT names it, so that each check is seen to fail for its fault.
#include "vst2/vst2_abi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kParams = 2; // gain, pitch offset
constexpr int kKeys = 128;

enum class Fault { None, Overrun, Nan, Alloc, Hang, NullText, LostName, Denormal, Loud };

Fault faultFromEnvironment() {
    const char* name = std::getenv("ZELVIK_ROGUE_FAULT");
    std::string fault = name ? name : "";
    if (fault == "overrun") return Fault::Overrun;
    if (fault == "nan") return Fault::Nan;
    if (fault == "alloc") return Fault::Alloc;
    if (fault == "hang") return Fault::Hang;
    if (fault == "null-text") return Fault::NullText;
    if (fault == "lost-name") return Fault::LostName;
    if (fault == "denormal") return Fault::Denormal;
    if (fault == "loud") return Fault::Loud;
    return Fault::None;
}

struct Rogue {
    AEffect effect;
    Fault fault = faultFromEnvironment();
    float values[kParams] = {0.5f, 0.5f};
    char programName[25] = "Rogue";
    float sampleRate = 44100.0f;
    bool held[kKeys] = {};
    double phase[kKeys] = {};
};

Rogue* rogueOf(AEffect* effect) { return static_cast<Rogue*>(effect->object); }

bool validIndex(VstInt32 index) { return index >= 0 && index < kParams; }

float sane(float value) { return std::isfinite(value) ? std::fmin(std::fmax(value, 0.0f), 1.0f) : 0.0f; }

void writeText(void* ptr, const char* text, size_t capacity) {
    if (!ptr) return;
    std::snprintf(static_cast<char*>(ptr), capacity, "%s", text);
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Rogue* rogue = rogueOf(effect);
    char text[8];
    switch (opcode) {
    case effClose:
        delete rogue;
        return 1;
    case effSetProgramName:
        if (ptr && rogue->fault != Fault::LostName) std::snprintf(rogue->programName, 25, "%s", (const char*)ptr);
        return 0;
    case effGetProgramName:
        writeText(ptr, rogue->programName, 25);
        return 0;
    case effGetParamDisplay:
        if (!validIndex(index)) return 0;
        std::snprintf(text, sizeof text, "%.2f", (double)sane(rogue->values[index]));
        if (rogue->fault == Fault::NullText)
            std::memcpy(static_cast<char*>(ptr), text, std::strlen(text) + 1);
        else
            writeText(ptr, text, 9);
        return 0;
    case effGetParamName:
        if (validIndex(index)) writeText(ptr, index == 0 ? "Gain" : "Pitch", 9);
        return 0;
    case effSetSampleRate:
        if (opt > 0.0f && std::isfinite(opt)) rogue->sampleRate = opt;
        return 0;
    case effProcessEvents: {
        const VstEvents* list = static_cast<const VstEvents*>(ptr);
        if (!list) return 0;
        VstEvent* const* entries = list->events;
        for (VstInt32 n = 0; n < list->numEvents; ++n) {
            const VstEvent* event = entries[n];
            if (!event || event->type != kVstMidiType) continue;
            const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
            int status = midi->midiData[0] & 0xF0, key = midi->midiData[1] & 127, velocity = midi->midiData[2] & 127;
            if (status == 0x90 && velocity > 0) rogue->held[key] = true;
            else if ((status == 0x80 || status == 0x90) && rogue->fault != Fault::Hang) rogue->held[key] = false;
        }
        return 1;
    }
    case effCanDo:
        return ptr && std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0 ? 1 : -1;
    default:
        (void)value;
        return 0;
    }
}

void processReplacing(AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames) {
    Rogue* rogue = rogueOf(effect);
    float gain = rogue->fault == Fault::Nan ? rogue->values[0] : sane(rogue->values[0]);
    if (rogue->fault == Fault::Loud) gain = 4.0f;
    if (rogue->fault == Fault::Alloc) {
        // Kept in a volatile, so the compiler cannot drop the allocation.
        static void* volatile kept;
        kept = std::malloc(64);
        std::free(kept);
    }
    for (VstInt32 i = 0; i < frames; ++i) {
        double sum = 0.0;
        for (int key = 0; key < kKeys; ++key) {
            if (!rogue->held[key]) continue;
            double hz = 440.0 * std::pow(2.0, (key - 69) / 12.0);
            rogue->phase[key] = std::fmod(rogue->phase[key] + hz / rogue->sampleRate, 1.0);
            sum += 0.05 * std::sin(6.283185307179586 * rogue->phase[key]);
        }
        float sample = (float)(sum * gain);
        if (rogue->fault == Fault::Denormal && sample == 0.0f) sample = 1e-40f;
        outputs[0][i] = outputs[1][i] = sample;
    }
    if (rogue->fault == Fault::Overrun) outputs[1][frames] = 0.0f;
}

void process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    processReplacing(effect, inputs, outputs, frames);
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
    if (validIndex(index)) rogueOf(effect)->values[index] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    return validIndex(index) ? rogueOf(effect)->values[index] : 0.0f;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Rogue* rogue = new Rogue;
    AEffect& effect = rogue->effect;
    std::memset(&effect, 0, sizeof effect);
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = process;
    effect.processReplacing = processReplacing;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = 1;
    effect.numParams = kParams;
    effect.numInputs = 0;
    effect.numOutputs = 2;
    effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
    effect.ioRatio = 1.0f;
    effect.object = rogue;
    effect.uniqueID = vstFourCC('R', 'o', 'g', 'u');
    effect.version = 1;
    return &effect;
}
