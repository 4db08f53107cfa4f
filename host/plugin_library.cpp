// Dynamic library loading for Linux (dlopen) and Windows (LoadLibrary).
#include "host/plugin_library.h"

#include "host/file_util.h"
#include "host/host_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// Loader messages may span lines; the user gets exactly one.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
    if (!fileExists(path))
        throw HostError(path + ": no such file");
#ifdef _WIN32
    // Without a directory part LoadLibrary would search the system folders instead.
    std::string local = path.find_first_of("/\\:") == std::string::npos ? ".\\" + path : path;
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = (void*)LoadLibraryA(local.c_str());
    DWORD error = GetLastError();
    SetErrorMode(previousMode);
    if (!handle_) {
        char reason[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                       sizeof reason, nullptr);
        throw HostError(path + ": not a loadable library (Windows error " + std::to_string(error) + ": " +
                        oneLine(reason) + ")");
    }
#else
    // Without a slash dlopen would search the library path instead of the named file.
    std::string local = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        throw HostError(path + ": not a loadable library (" + oneLine(reason ? reason : "unknown reason") + ")");
    }
#endif
}

PluginLibrary::~PluginLibrary() {
#ifdef _WIN32
    FreeLibrary((HMODULE)handle_);
#else
    dlclose(handle_);
#endif
}

void* PluginLibrary::findSymbol(const char* name) const {
#ifdef _WIN32
    return (void*)GetProcAddress((HMODULE)handle_, name);
#else
    return dlsym(handle_, name);
#endif
}

VstPluginMainProc PluginLibrary::entryPoint() const {
    void* entry = findSymbol("VSTPluginMain");
    if (!entry)
        entry = findSymbol("main");
    if (!entry)
        throw HostError(path_ + ": no VST 2 entry point (neither VSTPluginMain nor main is exported)");
    return reinterpret_cast<VstPluginMainProc>(entry);
}
