// Offline render loop: events first, then process or processReplacing, per block.
#include "host/offline_renderer.h"

#include "vst2/vst2_host_abi.h"

#include <algorithm>
#include <cstring>

namespace {
// VstEvents is numEvents and a reserved word, then the pointers: in pointer-sized words.
constexpr size_t kEventsHeaderWords = 2;
static_assert(offsetof(VstEvents, events) == kEventsHeaderWords * sizeof(VstIntPtr), "VstEvents header");
} // namespace

OfflineRenderer::OfflineRenderer(PluginInstance& plugin, int blockSize) : plugin_(plugin), blockSize_(blockSize) {
    const AEffect& effect = plugin.effect();
    int inputs = std::max(effect.numInputs, 0);
    int outputs = std::max(effect.numOutputs, 0);
    inputBuffers_.assign(inputs, std::vector<float>(blockSize, 0.0f));
    outputBuffers_.assign(outputs, std::vector<float>(blockSize, 0.0f));
    for (auto& buffer : inputBuffers_)
        inputPointers_.push_back(buffer.data());
    for (auto& buffer : outputBuffers_)
        outputPointers_.push_back(buffer.data());
    // Plug-ins may index channel 0 even when they declare none.
    if (inputPointers_.empty())
        inputPointers_.push_back(nullptr);
    if (outputPointers_.empty())
        outputPointers_.push_back(nullptr);
}

void OfflineRenderer::setEvents(std::vector<TimedMidiEvent> events, int64_t totalSamples) {
    events_ = std::move(events);
    totalSamples_ = totalSamples;
    nextEvent_ = 0;
    // The busiest block decides how large the event list must be.
    size_t most = 0;
    for (size_t first = 0, last = 0; first < events_.size(); first = last) {
        int64_t block = events_[first].sample / blockSize_;
        while (last < events_.size() && events_[last].sample / blockSize_ == block)
            ++last;
        most = std::max(most, last - first);
    }
    midiEvents_.assign(most, VstMidiEvent{});
    eventList_.assign(kEventsHeaderWords + std::max<size_t>(most, 2), 0);
}

void OfflineRenderer::deliverEvents(int64_t blockStart, int frames) {
    int count = 0;
    while (nextEvent_ < events_.size() && events_[nextEvent_].sample < blockStart + frames) {
        const TimedMidiEvent& source = events_[nextEvent_++];
        VstMidiEvent& event = midiEvents_[count];
        event = VstMidiEvent{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = (VstInt32)std::max<int64_t>(source.sample - blockStart, 0);
        std::memcpy(event.midiData, source.bytes, 3);
        eventList_[kEventsHeaderWords + count] = (VstIntPtr)&event;
        ++count;
    }
    if (count == 0)
        return;
    eventList_[0] = 0;
    VstEvents* list = reinterpret_cast<VstEvents*>(eventList_.data());
    list->numEvents = count;
    plugin_.dispatch(effProcessEvents, 0, 0, list);
}

void OfflineRenderer::processBlock(int frames) {
    AEffect& effect = plugin_.effect();
    // Cleared for both calls: the accumulating one adds to what is there, and a replacing
    // one that skips a channel must not leave the previous block in it.
    for (auto& buffer : outputBuffers_)
        std::fill(buffer.begin(), buffer.begin() + frames, 0.0f);
    if ((effect.flags & effFlagsCanReplacing) && effect.processReplacing)
        effect.processReplacing(&effect, inputPointers_.data(), outputPointers_.data(), frames);
    else if (effect.process)
        effect.process(&effect, inputPointers_.data(), outputPointers_.data(), frames);
}

void OfflineRenderer::run(const BlockSink& sink, const Progress& progress) {
    HostContext& host = plugin_.host();
    plugin_.dispatch(effMainsChanged, 0, 1);
    plugin_.dispatch(effStartProcess); // plug-ins of older versions answer 0 and ignore it
    for (int64_t position = 0; position < totalSamples_; position += blockSize_) {
        int frames = (int)std::min<int64_t>(blockSize_, totalSamples_ - position);
        host.setPosition(position);
        for (auto& buffer : inputBuffers_)
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        if (input_ && !inputBuffers_.empty())
            input_(position, inputBuffers_[0].data(), frames);
        if (blockStart_)
            blockStart_(position, frames);
        deliverEvents(position, frames);
        processBlock(frames);
        sink(outputPointers_.data(), frames);
        if (progress)
            progress((double)(position + frames) / (double)totalSamples_);
    }
    plugin_.dispatch(effStopProcess);
    plugin_.dispatch(effMainsChanged, 0, 0);
}
