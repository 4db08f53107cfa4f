// SynthSwitch: the editor's on/off switch, on only above one half.
#pragma once

#include "gui/views/gui_toggle_button.h"

class SynthSwitch : public GuiToggleButton {
public:
    SynthSwitch(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background);

    void draw(GuiDrawContext* context) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;
};
