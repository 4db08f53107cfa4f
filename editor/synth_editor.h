// SynthEditor: the instrument's 600 x 250 panel, one control per parameter, read-outs, voice
// indicator and help picture, bound to the plug-in.
#pragma once

#include <atomic>
#include <cstdint>

#include "gui/views/gui_view.h"
#include "editor/synth_layout.h"
#include "gui/aeff_gui_editor.h"
#include "plugin/synth_editor_link.h"

class GuiBitmap;
class GuiImageStrip;
class GuiMomentaryButton;
class GuiTextField;
class SynthPlugin;

namespace gui_platform {
class Window;
}

class SynthEditor : public AEffGUIEditor, public GuiControlListener, public SynthEditorLink {
public:
    static constexpr int32_t kWidth = kSynthPanelWidth;
    static constexpr int32_t kHeight = kSynthPanelHeight;
    static constexpr int32_t kBackgroundBitmap = 101;
    static constexpr int32_t kFirstKnobStrip = 104;  // 104 + knob kind
    static constexpr int32_t kSwitchBitmap = 109;
    static constexpr int32_t kVoiceBitmap = 110;
    static constexpr int32_t kHelpPicture = 114;
    static constexpr int32_t kKnobImages = kSynthKnobPositions;
    static constexpr int32_t kKnobImageHeight = kSynthKnobSize;
    static constexpr int32_t kVoiceImages = kSynthVoiceFrames;
    static constexpr int32_t kVoiceImageHeight = kSynthVoiceFrameSize;
    // Labels and read-outs carry 63 + row; the indicator and the help button 100.
    static constexpr int32_t kTextTagBase = kSynthLayoutRowCount;
    static constexpr int32_t kHelpTag = 100;

    // Constructed with the plug-in, on the host's loading thread; the base registers it as the
    // plug-in's editor.
    explicit SynthEditor(SynthPlugin* plugin);
    // Closes a window the host left open. User-interface thread (effClose).
    ~SynthEditor() override;

    // effEditOpen, user-interface thread: builds the frame and every view. Always true.
    VstInt32 open(void* parentWindow) override;
    // effEditClose, user-interface thread: destroys the frame and its views.
    void close() override;
    // effEditIdle, user-interface thread: shows the latest voice count, then the base idle
    // (flagged refresh and redraw of dirty views).
    void idle() override;
    // User-interface thread, from idle: every control takes its parameter's value.
    void update() override;

    // Any thread (setParameter and the end of every audio block): passes a refresh on at most
    // once per 100 ms. Only stores; never blocks.
    void requestRefresh() override;
    // Audio thread, end of every block: the number of sounding voices, 0 to 16. Only stores;
    // the indicator takes it at the next idle.
    void showActiveVoices(int count) override;
    // User-interface thread: rewrites the read-out of one row.
    void refreshValueDisplay(int index);

    // Every control reports here, on the user-interface thread.
    void valueChanged(GuiDrawContext* context, GuiControl* control) override;

    // The modal help picture over owner's outermost window; blocks until it is dismissed.
    void showHelp(gui_platform::Window* owner);

    // For tests and the snapshot tool.
    bool isEditorOpen() const { return isOpen; }
    GuiControl* getControl(int index) const;
    GuiTextField* getLabel(int index) const;
    GuiTextField* getValueDisplay(int index) const;
    GuiImageStrip* getVoiceIndicator() const { return voiceIndicator; }
    GuiMomentaryButton* getHelpButton() const { return helpButton; }

private:
    void createRowViews(int row);
    void releaseBitmaps();
    // The row has a read-out that shows text now (a dependent row only when its target has one).
    bool showsValueText(int row) const;

    GuiBitmap* background = nullptr;
    GuiBitmap* knobStrips[4] = {};
    GuiBitmap* switchBitmap = nullptr;
    GuiBitmap* voiceStrip = nullptr;
    GuiControl* controls[kSynthLayoutRowCount] = {};
    GuiTextField* labels[kSynthLayoutRowCount] = {};
    GuiTextField* valueDisplays[kSynthLayoutRowCount] = {};
    GuiImageStrip* voiceIndicator = nullptr;
    GuiMomentaryButton* helpButton = nullptr;
    SynthPlugin* plugin;
    // Written by any thread that asks for a refresh, read by the same.
    std::atomic<uint32_t> lastRefreshRequest{0};
    bool isOpen = false;
    // Written by the audio thread, read by idle.
    std::atomic<int> activeVoices{0};
};

// The factory the module and the tools hand to SynthPlugin: the plug-in's base owns the editor.
SynthEditorLink* createSynthEditor(SynthPlugin* plugin);
