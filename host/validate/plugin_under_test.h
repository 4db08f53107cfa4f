// One instance of the plug-in being validated, driven state by state, and the host
// callback every instance in a validator process talks to.
#pragma once

#include "host/plugin_library.h"
#include "vst2/vst2_abi.h"

#include <atomic>
#include <string>

// The validator's host side: answers what plug-ins commonly ask, from any thread, without
// allocating or blocking (the transport record is per thread).
struct ValidatorHost {
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    static std::atomic<long> automations;
    static std::atomic<int> sampleRate;
    static std::atomic<int> blockSize;
};

// The library, loaded once per process; instances come from its entry point.
class PluginModule {
public:
    explicit PluginModule(const std::string& path);
    VstPluginMainProc entryPoint() const { return entry_; }
    const std::string& path() const { return library_.path(); }

private:
    PluginLibrary library_;
    VstPluginMainProc entry_;
};

// An instance: created by the entry point (closed), then opened, resumed, suspended
// and closed as a check wishes. The destructor closes it unless that happened.
class PluginUnderTest {
public:
    explicit PluginUnderTest(const PluginModule& module);
    ~PluginUnderTest();
    PluginUnderTest(const PluginUnderTest&) = delete;
    PluginUnderTest& operator=(const PluginUnderTest&) = delete;

    AEffect& effect() { return *effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    // effOpen, then the sample rate and the largest block size.
    void open(float sampleRate, int maxBlockSize);
    void setSampleRate(float rate);
    void setBlockSize(int maxBlockSize);
    void resume();
    void suspend();
    // effClose with these arguments; the record is not used afterwards.
    void close(VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    bool closed() const { return effect_ == nullptr; }

    int numParams() const { return effect_->numParams; }
    int numInputs() const { return effect_->numInputs; }
    int numOutputs() const { return effect_->numOutputs; }
    bool hasEditor() const { return (effect_->flags & effFlagsHasEditor) != 0; }
    float parameter(int index) { return effect_->getParameter(effect_, index); }
    void setParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
    std::string programName();
    void setProgramName(const std::string& name);

private:
    AEffect* effect_ = nullptr;
    bool resumed_ = false;
};
