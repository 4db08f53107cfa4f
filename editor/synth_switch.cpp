// SynthSwitch: a toggle that survives an editor refresh running during its own click.
#include "editor/synth_switch.h"

SynthSwitch::SynthSwitch(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background)
    : GuiToggleButton(size, listener, tag, background) {}

// Exactly one half is off: parameters mapped to on/off switch at values above 0.5.
void SynthSwitch::draw(GuiDrawContext* context) { drawState(context, value > 0.5f); }

// The idle work may run the editor's refresh, which copies the plug-in's (still old) parameter
// into this control; storing the toggled value again afterwards keeps the click.
void SynthSwitch::mouse(GuiDrawContext* context, GuiPoint& /*where*/) {
    if (!pressButtons(context)) return;
    const float toggled = toggledValue();
    value = toggled;
    idleDuringTracking();
    value = toggled;
    reportChange(context);
}
