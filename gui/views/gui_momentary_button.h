// GuiMomentaryButton: a button whose value is 1 only while it is held down over it.
#pragma once

#include "gui/views/gui_control.h"

class GuiMomentaryButton : public GuiControl {
public:
    GuiMomentaryButton(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, VstInt32 imageHeight,
                       GuiBitmap* background, const GuiPoint& offset);

    void draw(GuiDrawContext* context) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;

protected:
    GuiPoint offset;
    VstInt32 imageHeight;
};
