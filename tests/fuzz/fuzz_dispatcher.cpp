// The dispatcher's opcodes with any numbers and any text behind the pointer, then a block
// of audio: nothing may crash, and the output must stay finite and within ±0.99.
// Input: a call count, then per call opcode, index, value, opt and a pointer choice;
// the remaining bytes fill the buffer the pointer leads to.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/synth_plugin.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_plugin_host.h"

namespace {
constexpr size_t kBufferBytes = 1024;
constexpr int kMostCalls = 16;

struct Call {
    uint8_t opcode;
    int32_t index;
    int64_t value;
    float opt;
    uint8_t pointer;  // even: the buffer, odd: null
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    int calls = input.take<uint8_t>() % (kMostCalls + 1);
    Call list[kMostCalls];
    for (int n = 0; n < calls; ++n) {
        list[n].opcode = input.take<uint8_t>() & 127;
        list[n].index = input.take<int32_t>();
        list[n].value = input.take<int64_t>();
        list[n].opt = input.take<float>();
        list[n].pointer = input.take<uint8_t>();
    }
    // Texts the host passes are terminated within the buffer it owns.
    static char buffer[kBufferBytes + 1];
    static char second[kBufferBytes + 1];

    SynthPlugin* plugin = new SynthPlugin(fuzzHostCallback);
    AEffect* effect = plugin->getAeffect();
    for (int n = 0; n < calls; ++n) {
        const Call& call = list[n];
        // effClose ends the instance (it is sent at the end); effEditOpen needs a window;
        // effProcessEvents needs a list whose pointers are real (fuzz_vst_events has it).
        if (call.opcode == effClose || call.opcode == effEditOpen || call.opcode == effProcessEvents) continue;
        std::memset(buffer, 0, sizeof buffer);
        std::memset(second, 0, sizeof second);
        FuzzInput text(data + (size - input.left()), input.left());
        text.takeBytes(buffer, kBufferBytes);
        void* ptr = (call.pointer & 1) ? nullptr : buffer;
        VstIntPtr value = (VstIntPtr)call.value;
        // Where the value is an address or a size for ptr, a host passes a real one.
        if (call.opcode == 42 || call.opcode == 69) value = (VstIntPtr)second;
        if (call.opcode == effSetChunk) value = value < 0 ? 0 : value % (VstIntPtr)(kBufferBytes + 1);
        effect->dispatcher(effect, call.opcode, call.index, value, ptr, call.opt);
    }
    // Whatever the calls did, a host that sets sane values again gets sane sound.
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    renderAndCheck(effect, kFuzzBlock, true);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
