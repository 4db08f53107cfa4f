// SynthPlugin: MIDI intake from the host's event lists.
#include "plugin/synth_plugin.h"

VstInt32 SynthPlugin::processEvents(VstEvents* /*events*/) {
    return 1;
}
