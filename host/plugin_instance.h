// One loaded VST 2 plug-in: its library, its AEffect record and the requests a host makes.
#pragma once

#include "host/host_context.h"
#include "host/plugin_library.h"

#include <string>

// The tool is single-threaded: every request below is made from the thread that created
// the instance, and each may block for as long as the plug-in takes to answer.
class PluginInstance {
public:
    // Loads the library, calls its entry point with the host callback, checks the record's
    // magic and opens it (effOpen), then sets sample rate and block size. Throws HostError
    // on any failure. The context must outlive the instance.
    PluginInstance(const std::string& path, HostContext& host, int64_t sampleRate, int blockSize);
    ~PluginInstance(); // effClose, then the library is released
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& effect() { return *effect_; }
    const AEffect& effect() const { return *effect_; }
    HostContext& host() { return host_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Asks the plug-in for a text (effGetEffectName and the like) in a generous, zeroed
    // buffer, since many plug-ins write past the nominal limits.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);

    int numParams() const { return effect_->numParams; }
    std::string parameterName(int index) { return text(effGetParamName, index); }
    std::string parameterDisplay(int index) { return text(effGetParamDisplay, index); }
    std::string parameterLabel(int index) { return text(effGetParamLabel, index); }
    float parameter(int index) { return effect_->getParameter(effect_, index); }
    void setParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
    std::string programName() { return text(effGetProgramName); }
    void setProgramName(const std::string& name);

    // Index of the parameter with this name (exact, else case-insensitive; surrounding
    // blanks ignored), or -1.
    int findParameter(const std::string& name);
    // Applies one --set NAME=V or INDEX=V; throws HostError when it names no parameter or
    // the value is not from 0 to 1.
    void applySetting(const std::string& setting);

private:
    PluginLibrary library_;
    HostContext& host_;
    AEffect* effect_ = nullptr;
};
