// The module's entry point: main (and VSTPluginMain) create one plug-in per call.
#include <new>

#include "plugin/module_handle.h"
#include "plugin/synth_plugin.h"

#if defined(_WIN32)
#include <windows.h>
#define ZELVIK_EXPORT extern "C" __declspec(dllexport)
#else
#define ZELVIK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

AEffect* createPlugin(audioMasterCallback host) {
    if (!host) return nullptr;
    // A host answering 0 is too old to load us.
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    SynthPlugin* plugin = nullptr;
    try {
        plugin = new SynthPlugin(host);
    } catch (...) {
        return nullptr;
    }
    return plugin->getAeffect();
}

}  // namespace

// Called by the host's loading thread; the returned record belongs to the host
// until it sends effClose.
ZELVIK_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    return createPlugin(host);
}

#if defined(_WIN32)
// The historic name is exported through the module definition file, which maps
// "main" onto this function; C++ does not allow a function named main here.
extern "C" AEffect* VSTCALLBACK zelvikMainEntry(audioMasterCallback host) {
    return createPlugin(host);
}

// The skin and dialog resources live in this module: keep its handle. Attach and
// detach always succeed.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) setModuleHandle(instance);
    return TRUE;
}
#else
// The historic name: an assembler label gives the symbol the name C++ reserves.
ZELVIK_EXPORT AEffect* zelvikMainEntry(audioMasterCallback host) __asm__("main");
AEffect* zelvikMainEntry(audioMasterCallback host) {
    return createPlugin(host);
}
#endif
