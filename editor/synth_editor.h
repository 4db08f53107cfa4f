// SynthEditor: the plug-in's editor. For now only its size and the plug-in's hooks.
#pragma once

#include "gui/aeff_gui_editor.h"

class SynthPlugin;

class SynthEditor : public AEffGUIEditor {
public:
    // Constructed with the plug-in, on the host's loading thread; the base registers
    // it as the plug-in's editor.
    explicit SynthEditor(SynthPlugin* plugin);

    // Hooks the plug-in calls from any thread; they only store plain values.
    void requestRefresh();
    void showActiveVoices(int count);

private:
    SynthPlugin* plugin;
    int activeVoices = 0;
};
