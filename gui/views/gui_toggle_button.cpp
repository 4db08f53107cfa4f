// GuiToggleButton: draws the half of its bitmap that matches the value; a click toggles.
#include "gui/views/gui_toggle_button.h"

#include "gui/bitmap.h"

GuiToggleButton::GuiToggleButton(const GuiRect& size, GuiControlListener* listener, VstInt32 tag,
                                 GuiBitmap* background)
    : GuiControl(size, listener, tag, background) {}

void GuiToggleButton::drawState(GuiDrawContext* context, bool on) {
    GuiPoint offset{0, 0};
    if (on && background) offset.v = background->getHeight() / 2;
    drawBackground(context, offset);
    setDirty(false);
}

void GuiToggleButton::draw(GuiDrawContext* context) { drawState(context, value != 0.0f); }

// A toggle is a single event, not a gesture, so there is no begin/end-edit bracket; the
// listener hears the click even when the value did not change.
void GuiToggleButton::mouse(GuiDrawContext* context, GuiPoint& /*where*/) {
    if (!pressButtons(context)) return;
    value = toggledValue();
    idleDuringTracking();
    reportChange(context);
}
