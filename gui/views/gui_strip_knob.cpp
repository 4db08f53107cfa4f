// GuiStripKnob: picks the strip frame for the value; dragging and keys are the knob's.
#include "gui/views/gui_strip_knob.h"

GuiStripKnob::GuiStripKnob(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, VstInt32 imageCount,
                           VstInt32 imageHeight, GuiBitmap* background, const GuiPoint& offset)
    : GuiKnob(size, listener, tag, background, nullptr, offset), imageCount(imageCount), imageHeight(imageHeight) {
    inset = 0;
}

// Frames are chosen by truncation, so the last frame shows only at the maximum. A value above
// the range (only reachable by setting it from outside) shows the last frame rather than
// reading past the end of the strip.
VstInt32 GuiStripKnob::imageIndex() const {
    if (value < 0.0f || imageHeight <= 0 || imageCount <= 1) return 0;
    const VstInt32 span = imageHeight * (imageCount - 1);
    const VstInt32 position = static_cast<VstInt32>(value * span);
    if (position > span) return imageCount - 1;
    return position / imageHeight;
}

void GuiStripKnob::draw(GuiDrawContext* context) {
    drawBackground(context, GuiPoint{0, imageIndex() * imageHeight});
    setDirty(false);
}
