// SynthEditor: the window size and the refresh and voice-count hooks.
#include "editor/synth_editor.h"

#include "plugin/synth_plugin.h"

SynthEditor::SynthEditor(SynthPlugin* plugin) : AEffGUIEditor(plugin), plugin(plugin) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = 250;
    rect.right = 600;
}

void SynthEditor::requestRefresh() {
    postUpdate();
}

void SynthEditor::showActiveVoices(int count) {
    activeVoices = count;
}
