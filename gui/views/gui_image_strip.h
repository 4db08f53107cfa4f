// GuiImageStrip: shows the image of a vertical strip that the value selects; display only.
#pragma once

#include "gui/views/gui_control.h"

class GuiImageStrip : public GuiControl {
public:
    GuiImageStrip(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, VstInt32 imageCount,
                  VstInt32 imageHeight, GuiBitmap* background, const GuiPoint& offset);

    void draw(GuiDrawContext* context) override;

    // The image for the current value, rounded to the nearest of count - 1 steps.
    VstInt32 imageIndex() const;

protected:
    GuiPoint offset;
    VstInt32 imageCount;
    VstInt32 imageHeight;
};
