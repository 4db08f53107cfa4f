// Plug-in instance: entry point call, record checks, safe text requests.
#include "host/plugin_instance.h"

#include "host/host_error.h"
#include "host/parameter_setting.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kTextBufferBytes = 1024;

} // namespace

PluginInstance::PluginInstance(const std::string& path, HostContext& host, int64_t sampleRate, int blockSize)
    : library_(path), host_(host) {
    VstPluginMainProc entry = library_.entryPoint();
    HostContext::setLoadingContext(&host_);
    effect_ = entry(&HostContext::callback);
    HostContext::setLoadingContext(nullptr);
    if (!effect_)
        throw HostError(path + ": the plug-in refused to load (its entry point returned no effect)");
    if (effect_->magic != kEffectMagic) {
        char found[16];
        std::snprintf(found, sizeof found, "0x%08X", (unsigned)effect_->magic);
        effect_ = nullptr; // not a record we may call into
        throw HostError(path + ": not a VST 2 effect (magic " + found + " instead of VstP)");
    }
    effect_->user = &host_;
    host_.setSampleRate(sampleRate);
    host_.setBlockSize(blockSize);
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, (float)sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
}

PluginInstance::~PluginInstance() {
    if (effect_)
        dispatch(effClose);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    char buffer[kTextBufferBytes] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBufferBytes - 1] = '\0';
    return buffer;
}

void PluginInstance::setProgramName(const std::string& name) {
    char buffer[kTextBufferBytes] = {};
    std::strncpy(buffer, name.c_str(), kTextBufferBytes - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}

int PluginInstance::findParameter(const std::string& name) {
    return findParameterByName(name, numParams(), [this](int i) { return parameterName(i); });
}

void PluginInstance::applySetting(const std::string& setting) {
    const ParameterSetting parsed =
        parseParameterSetting(setting, numParams(), [this](int i) { return parameterName(i); });
    setParameter(parsed.index, parsed.value);
}
