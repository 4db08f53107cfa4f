// Test fixture: a library whose VST 2 entry point refuses to create an effect.
#include "vst2/vst2_abi.h"

extern "C" {
#ifdef _WIN32
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
}
