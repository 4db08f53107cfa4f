// Plug-in instance: entry point call, record checks, safe text requests.
#include "host/plugin_instance.h"

#include "host/host_error.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kTextBufferBytes = 1024;

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

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
    std::string wanted = trimmed(name);
    int caseInsensitiveMatch = -1;
    for (int i = 0; i < numParams(); ++i) {
        std::string candidate = trimmed(parameterName(i));
        if (candidate == wanted)
            return i;
        if (caseInsensitiveMatch < 0 && sameIgnoringCase(candidate, wanted))
            caseInsensitiveMatch = i;
    }
    return caseInsensitiveMatch;
}
