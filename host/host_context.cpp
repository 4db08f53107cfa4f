// Host answers: version, tempo, transport, and a record of the plug-in's edits.
#include "host/host_context.h"

#include <cmath>
#include <cstring>

namespace {
HostContext* gLoadingContext = nullptr;
constexpr VstIntPtr kHostVstVersion = 2400;

void copyText(void* destination, const char* text) {
    if (destination)
        std::strcpy((char*)destination, text); // hosts promise 64 bytes for these strings
}
} // namespace

HostContext::HostContext(double tempoBpm, int64_t sampleRate, int blockSize)
    : constantBpm_(tempoBpm), sampleRate_(sampleRate), blockSize_(blockSize) {
    editLog_.reserve(1024);
}

void HostContext::setTimeSignature(int numerator, int denominator) {
    if (numerator > 0 && denominator > 0) {
        timeSigNumerator_ = numerator;
        timeSigDenominator_ = denominator;
    }
}

void HostContext::setSampleRate(int64_t rate) { sampleRate_ = rate; }

double HostContext::currentBpm() const { return tempoMap_ ? tempoMap_->bpmAtSample(position_) : constantBpm_; }

void HostContext::setLoadingContext(HostContext* context) { gLoadingContext = context; }

VstIntPtr VSTCALLBACK HostContext::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt) {
    HostContext* context = effect && effect->user ? (HostContext*)effect->user : gLoadingContext;
    if (context)
        return context->answer(effect, opcode, index, value, ptr, opt);
    // A plug-in calling without any context (should not happen): still a sane host.
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    return 0;
}

VstIntPtr HostContext::answer(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterVersion:
        return kHostVstVersion;
    case audioMasterTempoAt:
        // The plug-in's sample position argument is ignored: plug-ins commonly pass 0 and
        // mean "now", so the answer is the tempo at the block being rendered.
        return (VstIntPtr)std::llround(currentBpm() * 10000.0);
    case audioMasterGetTime:
        return (VstIntPtr)fillTimeInfo();
    case audioMasterGetSampleRate:
        return (VstIntPtr)sampleRate_;
    case audioMasterGetBlockSize:
        return blockSize_;
    case audioMasterGetVendorString:
        copyText(ptr, "Zelvik");
        return 1;
    case audioMasterGetProductString:
        copyText(ptr, "zelvik-render");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterAutomate:
        editLog_.push_back({HostEditRecord::Automate, index, opt});
        return 0;
    case audioMasterBeginEdit:
        editLog_.push_back({HostEditRecord::BeginEdit, index, 0.0f});
        return 1;
    case audioMasterEndEdit:
        editLog_.push_back({HostEditRecord::EndEdit, index, 0.0f});
        return 1;
    default:
        return 0; // includes audioMasterIdle, audioMasterWantMidi and anything unknown
    }
}

VstTimeInfo* HostContext::fillTimeInfo() {
    VstTimeInfo& info = timeInfo_;
    info = {};
    info.samplePos = (double)position_;
    info.sampleRate = (double)sampleRate_;
    info.tempo = currentBpm();
    info.timeSigNumerator = timeSigNumerator_;
    info.timeSigDenominator = timeSigDenominator_;
    double quarters = tempoMap_ ? tempoMap_->quarterNotesAtSample(position_)
                                : (double)position_ / (double)sampleRate_ * constantBpm_ / 60.0;
    info.ppqPos = quarters;
    double quartersPerBar = 4.0 * timeSigNumerator_ / timeSigDenominator_;
    info.barStartPos = std::floor(quarters / quartersPerBar) * quartersPerBar;
    info.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return &info;
}
