// GuiToggleButton: a two-state switch drawn from a bitmap holding the off image above the on image.
#pragma once

#include "gui/views/gui_control.h"

class GuiToggleButton : public GuiControl {
public:
    GuiToggleButton(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background);

    void draw(GuiDrawContext* context) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;

protected:
    // Draws the lower (on) or upper (off) half of the bitmap, then counts as drawn.
    void drawState(GuiDrawContext* context, bool on);
    // The value a click turns the current one into: anything whose whole part is 0 becomes 1.
    float toggledValue() const { return static_cast<VstInt32>(value) == 0 ? 1.0f : 0.0f; }
};
