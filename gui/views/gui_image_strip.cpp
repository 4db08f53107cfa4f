// GuiImageStrip: draws the strip image nearest to value x (count - 1).
#include "gui/views/gui_image_strip.h"

GuiImageStrip::GuiImageStrip(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, VstInt32 imageCount,
                             VstInt32 imageHeight, GuiBitmap* background, const GuiPoint& offset)
    : GuiControl(size, listener, tag, background), offset(offset), imageCount(imageCount), imageHeight(imageHeight) {}

VstInt32 GuiImageStrip::imageIndex() const {
    if (value <= 0.0f || imageCount <= 1) return 0;
    const float shown = value > 1.0f ? 1.0f : value;
    return static_cast<VstInt32>(shown * (imageCount - 1) + 0.5f);
}

// A value above the range is pulled back to it (and kept) so that the last image shows.
void GuiImageStrip::draw(GuiDrawContext* context) {
    if (value > 1.0f) value = 1.0f;
    drawBackground(context, GuiPoint{offset.h, offset.v + imageIndex() * imageHeight});
    setDirty(false);
}
