// GuiMomentaryButton: pressed image while held, tracking the pointer in and out of the button.
#include "gui/views/gui_momentary_button.h"

#include "gui/draw_context.h"

GuiMomentaryButton::GuiMomentaryButton(const GuiRect& size, GuiControlListener* listener, VstInt32 tag,
                                       VstInt32 imageHeight, GuiBitmap* background, const GuiPoint& offset)
    : GuiControl(size, listener, tag, background), offset(offset), imageHeight(imageHeight) {}

void GuiMomentaryButton::draw(GuiDrawContext* context) {
    clampValue();
    GuiPoint imageOffset = offset;
    if (value != 0.0f) imageOffset.v += imageHeight;
    drawBackground(context, imageOffset);
    setDirty(false);
}

void GuiMomentaryButton::mouse(GuiDrawContext* context, GuiPoint& where) {
    const VstInt32 buttons = pressButtons(context);
    if (!buttons) return;
    const float pressValue = value;
    const float pushedValue = pressValue == 0.0f ? 1.0f : 0.0f;

    if (buttons == buttonLeft) {
        // A plain press follows the pointer: pushed while it is over the button, as it was
        // when it leaves, until the button is released.
        // The state is read together with the position it goes with: a position seen with the
        // button already released is not taken as a push.
        beginEdit();
        VstInt32 state;
        do {
            value = size.contains(where) ? pushedValue : pressValue;
            if (isDirty()) reportChange(context);
            state = context->getMouseButtons();
            context->getMouseLocation(where);
            idleDuringTracking();
        } while (state == buttonLeft);
        endEdit();
    } else {
        // With a modifier or another button held the press is a single push.
        value = pushedValue;
        reportChange(context);
    }
    // The button always ends released, and says so even when the value did not change.
    value = 0.0f;
    reportChange(context);
}
