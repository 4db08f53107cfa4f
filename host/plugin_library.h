// A VST 2 plug-in's dynamic library: opened, asked for its entry point, closed.
#pragma once

#include "vst2/vst2_abi.h"

#include <string>

class PluginLibrary {
public:
    // Throws HostError when the file is missing or is not a loadable library.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // VSTPluginMain, else the historic `main`; throws HostError when neither is exported.
    VstPluginMainProc entryPoint() const;

    const std::string& path() const { return path_; }

private:
    void* findSymbol(const char* name) const;

    std::string path_;
    void* handle_ = nullptr;
};
