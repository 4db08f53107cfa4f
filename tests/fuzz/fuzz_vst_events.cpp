// The MIDI intake: any event list a host could hand over, then a block of audio.
// Input: per event one control byte (0xFF: a null entry) and 32 bytes of event; the
// first byte picks the block length and the call (process or processReplacing).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/synth_plugin.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_plugin_host.h"

namespace {
constexpr int kMostEvents = 256;

struct EventListStorage {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMostEvents];
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One instance for the whole run: a fresh one per input would spend the time on
    // construction, and state carried over is what a long session looks like.
    static SynthPlugin* plugin = new SynthPlugin(fuzzHostCallback);
    static bool resumed = (plugin->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f), true);
    (void)resumed;
    FuzzInput input(data, size);
    const uint8_t mode = input.take<uint8_t>();
    static VstEvent events[kMostEvents];
    static EventListStorage list;
    int count = 0;
    while (!input.empty() && count < kMostEvents) {
        const uint8_t control = input.take<uint8_t>();
        events[count] = VstEvent{};
        input.takeBytes(&events[count], sizeof(VstEvent));
        list.events[count] = control == 0xFF ? nullptr : &events[count];
        ++count;
    }
    list.numEvents = count;
    plugin->dispatcher(effProcessEvents, 0, 0, &list, 0.0f);
    renderAndCheck(plugin->getAeffect(), mode & 0x7F ? (mode & 0x7F) * 2 : kFuzzBlock, (mode & 0x80) == 0);
    return 0;
}
