// The buffers a check renders through: audio channels, channel pointer arrays and event
// lists, all in guarded memory, checked for stray writes after every call, with the
// output measured as it comes.
#pragma once

#include "host/validate/guarded_region.h"
#include "host/validate/plugin_under_test.h"
#include "vst2/vst2_abi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the plug-in produced over any number of blocks.
struct OutputStats {
    double peak = 0.0;
    long nonFinite = 0;
    long denormals = 0;
    long samples = 0;
    uint64_t hash = 1469598103934665603ull; // FNV-1a over the sample bits, channel by channel

    void add(const float* samples, int frames);
    void merge(const OutputStats& other);
};

// A VstEvents list in guarded memory, with room for its events (each slot large enough
// for any event type, so that a plug-in reading a whole sysex record stays inside).
class EventList {
public:
    explicit EventList(int capacity);
    void clear() { count_ = 0; }
    int size() const { return count_; }
    bool full() const { return count_ >= capacity_; }
    // Both answer the event's slot, to be filled further if the caller wishes.
    VstEvent* add();
    void addNull();
    void midi(int delta, int status, int data1, int data2, int detune = 0);
    // The list as the plug-in sees it, optionally claiming another count (e.g. negative).
    VstEvents* events() { return events(count_); }
    VstEvents* events(int numEvents);
    std::string damage() const;
    // Bytes the slots can hold; sysex dumps get their own guarded buffer.
    static constexpr int kSlotBytes = 64;
    void* sysexBuffer(size_t bytes);

private:
    int capacity_;
    int count_ = 0;
    GuardedRegion list_;
    GuardedRegion slots_;
    GuardedRegion sysex_;
    VstIntPtr* words_ = nullptr;
    uint8_t* slotBase_ = nullptr;
};

class AudioBench {
public:
    AudioBench(PluginUnderTest& plugin, int maxFrames);

    enum class Input { Silence, Tone };
    void setInput(Input input) { input_ = input; }
    // Accumulating process instead of processReplacing (also used when the plug-in
    // cannot replace).
    void setAccumulating(bool on) { accumulating_ = on; }
    // Counts heap allocations in the plug-in calls (events and process) when on.
    void setCountAllocations(bool on) { countAllocations_ = on; }
    long allocations() const { return allocations_; }

    // Delivers the events (if any and not empty) and renders `frames`. Throws
    // CheckFailure when a guard zone was written or the output is not finite.
    void render(int frames, EventList* events = nullptr);
    // Renders until `frames` more samples have passed, in blocks of at most blockSize.
    void renderFor(long frames, int blockSize, EventList* events = nullptr);

    const OutputStats& stats() const { return stats_; }
    void resetStats() { stats_ = OutputStats(); }
    // Output of the last block only.
    const OutputStats& lastBlock() const { return lastBlock_; }
    int maxFrames() const { return maxFrames_; }

private:
    void checkGuards(const char* what, EventList* events);

    PluginUnderTest& plugin_;
    int maxFrames_;
    Input input_ = Input::Tone;
    bool accumulating_ = false;
    bool countAllocations_ = false;
    long allocations_ = 0;
    int64_t position_ = 0;
    std::vector<std::unique_ptr<GuardedRegion>> inputs_;
    std::vector<std::unique_ptr<GuardedRegion>> outputs_;
    GuardedRegion inputPointers_;
    GuardedRegion outputPointers_;
    OutputStats stats_;
    OutputStats lastBlock_;
};

// Plays a chord at the start of a block: `count` keys from `lowest`, a step apart.
void addChord(EventList& list, int lowest, int count, int step, int velocity, int channel = 0, int delta = 0);
void releaseChord(EventList& list, int lowest, int count, int step, int channel = 0, int delta = 0);
