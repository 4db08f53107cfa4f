// The audio-thread paths allocate nothing: global new and delete are counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "plugin/synth_plugin.h"
#include "tests/plugin_test_events.h"
#include "tests/recording_host.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

namespace {
void* countedAllocate(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void countedFree(void* p) noexcept {
    if (counting && p) ++allocations;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

TEST(PluginAllocations, AudioPathsAllocateNothing) {
    TestHost::instance().requests.reserve(1 << 16);
    SynthPlugin plugin(TestHost::callback);
    plugin.setParameter(26, 1.0f);      // LFO 1 on, aimed at Volume
    plugin.setParameter(36, 0.3f);      // E1 on Decay, watching key 64
    TestEventList list;
    list.noteOn(60, 100, 3).noteOn(64, 90).noteOn(67, 80, 2, 20).midi(0xB0, 126, 0).noteOff(60, 40).noteOff(64, 7);
    list.other(kVstSysExType).null();
    VstEvents* events = list.events();
    std::vector<float> left(512), right(512), input(512, 0.1f);
    float* outputs[2] = {left.data(), right.data()};
    float* inputs[1] = {input.data()};

    counting = true;
    for (int block = 0; block < 100; ++block) {  // past the LFO's first-second rest
        plugin.processEvents(events);
        plugin.processReplacing(inputs, outputs, 512);
        plugin.process(inputs, outputs, 512);
    }
    for (int i = 0; i < 63; ++i) plugin.setParameter(i, 0.5f);
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
