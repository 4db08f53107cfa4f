// The host side of the plug-in conversation: answers audioMasterCallback requests.
#pragma once

#include "host/tempo_map.h"
#include "vst2/vst2_host_abi.h"
#include "vst2/vst2_abi.h"

#include <vector>

// A parameter edit the plug-in reported (from its editor, normally).
struct HostEditRecord {
    enum Kind { Automate, BeginEdit, EndEdit };
    Kind kind;
    int index;
    float value; // the new value for Automate, 0 otherwise
};

class HostContext {
public:
    explicit HostContext(double tempoBpm = 120.0, int64_t sampleRate = 44100, int blockSize = 512);

    // Following a MIDI file's tempo map (or any other) during a render; the map must outlive
    // the context's use of it. Without one the constant tempo rules.
    void setTempoMap(const TempoMap* map) { tempoMap_ = map; }
    void setSampleRate(int64_t rate);
    void setBlockSize(int blockSize) { blockSize_ = blockSize; }
    // The render position: the first sample of the block being processed.
    void setPosition(int64_t samplePosition) { position_ = samplePosition; }
    // The metre reported in the transport record (one for the whole piece).
    void setTimeSignature(int numerator, int denominator);

    double currentBpm() const;
    const std::vector<HostEditRecord>& editLog() const { return editLog_; }
    void clearEditLog() { editLog_.clear(); }

    // Called on whichever thread the plug-in calls from; never blocks. Unknown requests answer 0.
    VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // The callback handed to plug-ins. It finds the context through the record's `user`
    // field, or, while an entry point is still running, through the one being loaded.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    // Marks the context that answers calls made before the record exists (nullptr to clear).
    static void setLoadingContext(HostContext* context);

private:
    VstTimeInfo* fillTimeInfo();

    const TempoMap* tempoMap_ = nullptr;
    double constantBpm_;
    int64_t sampleRate_;
    int blockSize_;
    int64_t position_ = 0;
    int timeSigNumerator_ = 4;
    int timeSigDenominator_ = 4;
    VstTimeInfo timeInfo_ = {};
    std::vector<HostEditRecord> editLog_;
};
