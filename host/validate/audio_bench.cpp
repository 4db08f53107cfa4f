// Guarded rendering for the validator.
#include "host/validate/audio_bench.h"

#include "host/validate/allocation_counter.h"
#include "host/validate/check_failure.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace {
constexpr size_t kHeaderWords = 2; // numEvents and reserved, then the pointers
constexpr size_t kSysexBytes = 4096;
constexpr double kToneAmplitude = 0.1;
constexpr double kToneStep = 2.0 * 3.14159265358979 * 440.0 / 44100.0;

// Plug-ins may read channel 0 even when they declare none, so there is always a slot.
int channelSlots(int declared) { return std::max(declared, 1); }
} // namespace

void OutputStats::add(const float* data, int frames) {
    for (int i = 0; i < frames; ++i) {
        float x = data[i];
        uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        for (int b = 0; b < 4; ++b) {
            hash ^= (bits >> (8 * b)) & 0xFF;
            hash *= 1099511628211ull;
        }
        if (!std::isfinite(x)) {
            ++nonFinite;
            continue;
        }
        double magnitude = std::fabs((double)x);
        if (magnitude > 0.0 && magnitude < FLT_MIN)
            ++denormals;
        peak = std::max(peak, magnitude);
    }
    samples += frames;
}

void OutputStats::merge(const OutputStats& other) {
    peak = std::max(peak, other.peak);
    nonFinite += other.nonFinite;
    denormals += other.denormals;
    samples += other.samples;
    hash = (hash ^ other.hash) * 1099511628211ull;
}

EventList::EventList(int capacity)
    : capacity_(capacity), list_((kHeaderWords + std::max(capacity, 2)) * sizeof(VstIntPtr)),
      slots_((size_t)std::max(capacity, 1) * kSlotBytes), sysex_(kSysexBytes) {
    words_ = static_cast<VstIntPtr*>(list_.window(list_.capacity()));
    slotBase_ = static_cast<uint8_t*>(slots_.window(slots_.capacity()));
}

VstEvent* EventList::add() {
    if (full())
        return nullptr;
    uint8_t* slot = slotBase_ + (size_t)count_ * kSlotBytes;
    std::memset(slot, 0, kSlotBytes);
    words_[kHeaderWords + count_] = (VstIntPtr)slot;
    ++count_;
    return reinterpret_cast<VstEvent*>(slot);
}

void EventList::addNull() {
    if (full())
        return;
    words_[kHeaderWords + count_] = 0;
    ++count_;
}

void EventList::midi(int delta, int status, int data1, int data2, int detune) {
    VstEvent* slot = add();
    if (!slot)
        return;
    VstMidiEvent* event = reinterpret_cast<VstMidiEvent*>(slot);
    event->type = kVstMidiType;
    event->byteSize = sizeof(VstMidiEvent);
    event->deltaFrames = delta;
    event->midiData[0] = (char)status;
    event->midiData[1] = (char)data1;
    event->midiData[2] = (char)data2;
    event->detune = (char)detune;
}

VstEvents* EventList::events(int numEvents) {
    words_[0] = 0;
    words_[1] = 0;
    VstEvents* list = reinterpret_cast<VstEvents*>(words_);
    list->numEvents = numEvents;
    return list;
}

void* EventList::sysexBuffer(size_t bytes) { return sysex_.window(std::min(bytes, kSysexBytes)); }

std::string EventList::damage() const {
    std::string where = list_.damage();
    if (!where.empty())
        return "the event list: " + where;
    where = slots_.damage();
    if (!where.empty())
        return "the events: " + where;
    where = sysex_.damage();
    return where.empty() ? where : "a sysex dump: " + where;
}

AudioBench::AudioBench(PluginUnderTest& plugin, int maxFrames)
    : plugin_(plugin), maxFrames_(maxFrames),
      inputPointers_(channelSlots(plugin.numInputs()) * sizeof(float*)),
      outputPointers_(channelSlots(plugin.numOutputs()) * sizeof(float*)) {
    size_t bytes = (size_t)std::max(maxFrames, 1) * sizeof(float);
    for (int c = 0; c < plugin.numInputs(); ++c)
        inputs_.push_back(std::make_unique<GuardedRegion>(bytes));
    for (int c = 0; c < plugin.numOutputs(); ++c)
        outputs_.push_back(std::make_unique<GuardedRegion>(bytes));
}

void AudioBench::checkGuards(const char* what, EventList* events) {
    auto fail = [what](const std::string& buffer, const std::string& where) {
        throw CheckFailure(std::string("wrote outside ") + buffer + " (" + where + ") in " + what);
    };
    for (size_t c = 0; c < outputs_.size(); ++c) {
        std::string where = outputs_[c]->damage();
        if (!where.empty())
            fail("output buffer " + std::to_string(c), where);
    }
    for (size_t c = 0; c < inputs_.size(); ++c) {
        std::string where = inputs_[c]->damage();
        if (!where.empty())
            fail("input buffer " + std::to_string(c), where);
    }
    std::string where = inputPointers_.damage();
    if (!where.empty())
        fail("the input pointer array", where);
    where = outputPointers_.damage();
    if (!where.empty())
        fail("the output pointer array", where);
    if (events) {
        where = events->damage();
        if (!where.empty())
            fail("the event list", where);
    }
}

void AudioBench::render(int frames, EventList* events) {
    if (frames < 0 || frames > maxFrames_)
        throw CheckFailure("internal: block larger than the bench");
    AEffect& effect = plugin_.effect();
    size_t bytes = (size_t)frames * sizeof(float);
    float** inputArray = static_cast<float**>(inputPointers_.window(inputPointers_.capacity()));
    float** outputArray = static_cast<float**>(outputPointers_.window(outputPointers_.capacity()));
    inputArray[0] = nullptr;
    outputArray[0] = nullptr;
    for (size_t c = 0; c < inputs_.size(); ++c) {
        float* samples = static_cast<float*>(inputs_[c]->window(bytes));
        for (int i = 0; i < frames; ++i)
            samples[i] = input_ == Input::Tone ? (float)(kToneAmplitude * std::sin(kToneStep * (double)(position_ + i)))
                                               : 0.0f;
        inputArray[c] = samples;
    }
    for (size_t c = 0; c < outputs_.size(); ++c) {
        float* samples = static_cast<float*>(outputs_[c]->window(bytes));
        std::fill(samples, samples + frames, 0.0f);
        outputArray[c] = samples;
    }

    bool replacing = !accumulating_ && (effect.flags & effFlagsCanReplacing) && effect.processReplacing;
    if (countAllocations_)
        allocation_counter::start();
    if (events && events->size() > 0)
        plugin_.dispatch(effProcessEvents, 0, 0, events->events());
    if (countAllocations_)
        allocations_ += allocation_counter::stop();
    checkGuards("effProcessEvents", events);

    if (countAllocations_)
        allocation_counter::start();
    if (replacing)
        effect.processReplacing(&effect, inputArray, outputArray, frames);
    else if (effect.process)
        effect.process(&effect, inputArray, outputArray, frames);
    if (countAllocations_)
        allocations_ += allocation_counter::stop();
    checkGuards(replacing ? "processReplacing" : "process", events);

    lastBlock_ = OutputStats();
    for (size_t c = 0; c < outputs_.size(); ++c)
        lastBlock_.add(outputArray[c], frames);
    stats_.merge(lastBlock_);
    position_ += frames;
    if (lastBlock_.nonFinite > 0)
        throw CheckFailure("the output holds " + std::to_string(lastBlock_.nonFinite) +
                           " NaN or infinite samples");
}

void AudioBench::renderFor(long frames, int blockSize, EventList* events) {
    bool first = true;
    while (frames > 0) {
        int block = (int)std::min<long>(frames, std::min(blockSize, maxFrames_));
        render(block, first ? events : nullptr);
        first = false;
        frames -= block;
        if (block == 0)
            break;
    }
}

void addChord(EventList& list, int lowest, int count, int step, int velocity, int channel, int delta) {
    for (int k = 0; k < count; ++k)
        list.midi(delta, 0x90 | (channel & 15), (lowest + k * step) & 127, velocity);
}

void releaseChord(EventList& list, int lowest, int count, int step, int channel, int delta) {
    for (int k = 0; k < count; ++k)
        list.midi(delta, 0x80 | (channel & 15), (lowest + k * step) & 127, 0);
}
