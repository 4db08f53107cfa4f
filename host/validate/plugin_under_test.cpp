// The validator's host callback and instance life cycle.
#include "host/validate/plugin_under_test.h"

#include "host/validate/check_failure.h"
#include "vst2/vst2_host_abi.h"

#include <cstring>

namespace {
constexpr VstIntPtr kHostVersion = 2400;
constexpr double kHostTempo = 120.0;
constexpr size_t kTextBytes = 1024;

thread_local VstTimeInfo timeInfo;
} // namespace

std::atomic<long> ValidatorHost::automations{0};
std::atomic<int> ValidatorHost::sampleRate{44100};
std::atomic<int> ValidatorHost::blockSize{512};

VstIntPtr VSTCALLBACK ValidatorHost::callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterTempoAt:
        return (VstIntPtr)(kHostTempo * 10000.0);
    case audioMasterGetTime:
        timeInfo = VstTimeInfo{};
        timeInfo.sampleRate = sampleRate.load();
        timeInfo.tempo = kHostTempo;
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
        timeInfo.flags = kVstTempoValid | kVstTimeSigValid;
        return (VstIntPtr)&timeInfo;
    case audioMasterGetSampleRate:
        return sampleRate.load();
    case audioMasterGetBlockSize:
        return blockSize.load();
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "zelvik-render validate");
        return 1;
    case audioMasterAutomate:
        ++automations;
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    default:
        return 0;
    }
}

PluginModule::PluginModule(const std::string& path) : library_(path), entry_(library_.entryPoint()) {}

PluginUnderTest::PluginUnderTest(const PluginModule& module) {
    AEffect* effect = module.entryPoint()(&ValidatorHost::callback);
    if (!effect)
        throw CheckFailure("the entry point returned no effect");
    if (effect->magic != kEffectMagic)
        throw CheckFailure("the entry point returned a record without the VstP magic");
    effect_ = effect;
}

PluginUnderTest::~PluginUnderTest() {
    if (effect_)
        close();
}

VstIntPtr PluginUnderTest::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginUnderTest::open(float sampleRate, int maxBlockSize) {
    dispatch(effOpen);
    setSampleRate(sampleRate);
    setBlockSize(maxBlockSize);
}

void PluginUnderTest::setSampleRate(float rate) {
    ValidatorHost::sampleRate = (int)rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void PluginUnderTest::setBlockSize(int maxBlockSize) {
    ValidatorHost::blockSize = maxBlockSize;
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

void PluginUnderTest::resume() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed_ = true;
}

void PluginUnderTest::suspend() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

void PluginUnderTest::close(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_)
        return;
    if (resumed_)
        suspend();
    AEffect* effect = effect_;
    effect_ = nullptr;
    effect->dispatcher(effect, effClose, index, value, ptr, opt);
}

std::string PluginUnderTest::programName() {
    char buffer[kTextBytes] = {};
    dispatch(effGetProgramName, 0, 0, buffer);
    buffer[kTextBytes - 1] = 0;
    return buffer;
}

void PluginUnderTest::setProgramName(const std::string& name) {
    char buffer[kTextBytes] = {};
    std::strncpy(buffer, name.c_str(), kTextBytes - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}
