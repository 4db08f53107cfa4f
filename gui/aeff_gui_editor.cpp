// AEffGUIEditor: host editor requests, the process-wide knob mode and the paced tracking idle.
#include "gui/aeff_gui_editor.h"

#include "gui/frame.h"
#include "gui/platform/platform.h"
#include "vst2/audio_effect_x.h"

namespace {
// How the host wants knobs dragged: 0 and 1 circular, 2 linear (Alt swaps). Shared by every
// editor of the module and kept after an editor closes.
VstInt32 processKnobMode = 0;

constexpr uint32_t kTrackingSleepMs = 4;     // keeps a tracking loop from spinning
constexpr uint32_t kTrackingWorkGapMs = 50;  // idle work at most about 20 times a second
constexpr uint32_t kTrackingHorizonMs = 100; // after a longer pause the work is done at once
}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect), nextIdleTicks(tickCount()) {
    if (effect) effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() {}

VstInt32 AEffGUIEditor::getRect(ERect** out) {
    if (!out) return 0;
    *out = &rect;
    return 1;
}

VstInt32 AEffGUIEditor::open(void* window) {
    postUpdate();
    return AEffEditor::open(window);
}

void AEffGUIEditor::idle() {
    if (inTrackingIdle) return;
    AEffEditor::idle();
    if (frame) frame->idle();
}

VstInt32 AEffGUIEditor::onKeyDown(VstKeyCode& key) { return frame ? frame->onKeyDown(key) : -1; }

VstInt32 AEffGUIEditor::onKeyUp(VstKeyCode& key) { return frame ? frame->onKeyUp(key) : -1; }

VstInt32 AEffGUIEditor::setKnobMode(VstInt32 mode) {
    processKnobMode = mode;
    return 1;
}

void AEffGUIEditor::setParameter(VstInt32 /*index*/, float /*value*/) { postUpdate(); }

void AEffGUIEditor::draw(ERect* area) {
    if (!frame) return;
    if (area)
        frame->invalidate(GuiRect{area->left, area->top, area->right - 1, area->bottom - 1});
    else
        frame->invalidate(GuiRect{rect.left, rect.top, rect.right - 1, rect.bottom - 1});
}

// Called back to back from a drag, the first call does the work and the following ones sleep
// 4 ms each until 46 ms or more have passed since, so the view under the mouse is polled every
// 4 ms while redraws and host idle come about every 50 ms. The time since the last work is a
// difference on the wrapping clock, never negative, so the pacing carries on across the
// 2^32 ms wrap of the tick count instead of stalling there.
void AEffGUIEditor::idleDuringTracking() {
    uint32_t now = tickCount();
    const uint32_t lastWork = nextIdleTicks - kTrackingHorizonMs;
    if (now - lastWork < kTrackingHorizonMs) {
        gui_platform::sleepMilliseconds(kTrackingSleepMs);
        now += kTrackingSleepMs;
        if (now - lastWork < kTrackingWorkGapMs) return;
    }
    idle();
    gui_platform::serveRepaints();
    nextIdleTicks = now + kTrackingHorizonMs;

    // The host may call our idle from inside its idle request; the flag makes that a no-op.
    if (effect) {
        inTrackingIdle = true;
        effect->masterIdle();
        inTrackingIdle = false;
    }
}

uint32_t AEffGUIEditor::tickCount() const { return gui_platform::tickCount(); }

VstInt32 AEffGUIEditor::knobMode() { return processKnobMode; }

void AEffGUIEditor::beginEdit(VstInt32 index) {
    if (auto* plugin = dynamic_cast<AudioEffectX*>(effect)) plugin->beginEdit(index);
}

void AEffGUIEditor::endEdit(VstInt32 index) {
    if (auto* plugin = dynamic_cast<AudioEffectX*>(effect)) plugin->endEdit(index);
}
