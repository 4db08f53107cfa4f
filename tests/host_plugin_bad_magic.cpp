// Test fixture: a library whose entry point returns a record without the 'VstP' magic.
#include "vst2/vst2_abi.h"

namespace {
AEffect gNotAnEffect = {}; // magic left 0; any call into it would crash
}

extern "C" {
#ifdef _WIN32
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
AEffect* VSTPluginMain(audioMasterCallback) {
    gNotAnEffect.magic = vstFourCC('N', 'o', 'p', 'e');
    return &gNotAnEffect;
}
}
