// Drives a plug-in through a whole piece, block by block, with sample-accurate MIDI.
#pragma once

#include "host/plugin_instance.h"
#include "host/tempo_map.h"
#include "vst2/vst2_abi.h"

#include <cstdint>
#include <functional>
#include <vector>

// A channel message placed on its sample.
struct TimedMidiEvent {
    int64_t sample;
    uint8_t bytes[3];
};

class OfflineRenderer {
public:
    // Fills `frames` samples of the plug-in's first input, starting at `position`.
    using InputSource = std::function<void(int64_t position, float* samples, int frames)>;
    // Receives each rendered block: numOutputs channel pointers.
    using BlockSink = std::function<void(const float* const* channels, int frames)>;
    using Progress = std::function<void(double fraction)>;
    // Called before each block's events with the block's first sample: where a caller
    // makes its own timed changes (parameters) between blocks.
    using BlockStart = std::function<void(int64_t position, int frames)>;

    OfflineRenderer(PluginInstance& plugin, int blockSize);

    // Events must be sorted by sample; the render lasts totalSamples.
    void setEvents(std::vector<TimedMidiEvent> events, int64_t totalSamples);
    void setInput(InputSource source) { input_ = std::move(source); }
    void setBlockStart(BlockStart hook) { blockStart_ = std::move(hook); }

    // effMainsChanged(1), the blocks, effMainsChanged(0).
    void run(const BlockSink& sink, const Progress& progress);

private:
    void deliverEvents(int64_t blockStart, int frames);
    void processBlock(int frames);

    PluginInstance& plugin_;
    int blockSize_;
    std::vector<TimedMidiEvent> events_;
    size_t nextEvent_ = 0;
    int64_t totalSamples_ = 0;
    InputSource input_;
    BlockStart blockStart_;

    // Everything the block loop touches is allocated here, before rendering starts.
    std::vector<std::vector<float>> inputBuffers_;
    std::vector<std::vector<float>> outputBuffers_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
    std::vector<VstMidiEvent> midiEvents_;
    std::vector<VstIntPtr> eventList_; // a VstEvents header followed by its pointer array
};
