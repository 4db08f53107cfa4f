// What the plug-in needs of its editor, whatever editor the module gives it.
#pragma once

class SynthPlugin;

class SynthEditorLink {
public:
    // Any thread (setParameter and the end of every audio block): asks the editor to show
    // the current values soon. Only stores; never blocks.
    virtual void requestRefresh() = 0;
    // Audio thread, end of every block: the number of sounding voices, 0 to 16. Only stores.
    virtual void showActiveVoices(int count) = 0;

protected:
    ~SynthEditorLink() = default;  // the plug-in's base owns and deletes the editor
};

// Creates the editor of a plug-in under construction; the editor registers itself with the
// plug-in (which then reports one) and the plug-in's base deletes it. Null for no editor.
using SynthEditorFactory = SynthEditorLink* (*)(SynthPlugin* plugin);
