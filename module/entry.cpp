// The module's entry point: main (and VSTPluginMain) create one plug-in with its editor per call.
#include <new>

#include "editor/synth_editor.h"
#include "plugin/synth_plugin.h"

#if defined(_WIN32)
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
        plugin = new SynthPlugin(host, createSynthEditor);
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

#else
// The historic name: an assembler label gives the symbol the name C++ reserves.
ZELVIK_EXPORT AEffect* zelvikMainEntry(audioMasterCallback host) __asm__("main");
AEffect* zelvikMainEntry(audioMasterCallback host) {
    return createPlugin(host);
}
#endif
