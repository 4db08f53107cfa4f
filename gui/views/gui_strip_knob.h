// GuiStripKnob: a knob drawn as one frame of a vertical strip of pre-rendered images.
#pragma once

#include "gui/views/gui_knob.h"

class GuiStripKnob : public GuiKnob {
public:
    GuiStripKnob(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, VstInt32 imageCount,
                 VstInt32 imageHeight, GuiBitmap* background, const GuiPoint& offset);

    void draw(GuiDrawContext* context) override;

    // The strip frame shown for the current value: the whole part of value x (count - 1).
    VstInt32 imageIndex() const;

protected:
    VstInt32 imageCount;
    VstInt32 imageHeight;
};
