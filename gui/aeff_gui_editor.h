// AEffGUIEditor: the editor base that owns the frame, redraws on host idle and paces tracking idle.
#pragma once

#include <cstdint>

#include "vst2/aeff_editor.h"

class GuiFrame;

// Every operation runs on the host's user-interface thread and none blocks, except
// idleDuringTracking, which sleeps 4 ms on throttled calls.
class AEffGUIEditor : public AEffEditor {
public:
    // Registers itself as the plug-in's editor, which makes the plug-in report one.
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    // effEditGetRect: the rectangle the derived editor filled in.
    VstInt32 getRect(ERect** rect) override;
    // effEditOpen: asks for a refresh at the next idle; the derived editor builds the frame.
    VstInt32 open(void* window) override;
    // effEditIdle: the flagged refresh, then the redraw of dirty views. A no-op while the host
    // idle request made from idleDuringTracking is in progress.
    void idle() override;
    // effEditKeyDown / effEditKeyUp: routed through the frame; -1 when nobody used the key.
    VstInt32 onKeyDown(VstKeyCode& key) override;
    VstInt32 onKeyUp(VstKeyCode& key) override;
    // effSetEditKnobMode: kept for every editor of the process, also ones opened later.
    VstInt32 setKnobMode(VstInt32 mode) override;

    virtual void setParameter(VstInt32 index, float value);
    // Asks for a repaint of rect (or of the whole editor without one) at the next serve.
    virtual void draw(ERect* rect);
    // Called by views between polls of their mouse-tracking loops: sleeps 4 ms per call and
    // does the idle work (redraw, one batch of repaints, host idle) about every 50 ms.
    virtual void idleDuringTracking();

    // Milliseconds from the platform clock, wrapping at 2^32.
    uint32_t tickCount() const;
    static VstInt32 knobMode();

    // A gesture on parameter index, told to the host (audioMasterBeginEdit / EndEdit) when the
    // plug-in is one that can say so.
    void beginEdit(VstInt32 index);
    void endEdit(VstInt32 index);

    GuiFrame* getFrame() const { return frame; }

protected:
    ERect rect{0, 0, 0, 0};
    GuiFrame* frame = nullptr;
    uint32_t nextIdleTicks;
    bool inTrackingIdle = false;
};
