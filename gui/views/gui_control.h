// GuiControl: a view that carries a value with its range and tag and reports changes to a listener.
#pragma once

#include "gui/views/gui_view.h"

class GuiBitmap;

// A control is dirty when its dirty flag is set or its value differs from the value last drawn,
// so storing a new value (also from the audio thread, a single float store) is enough to get
// it redrawn at the next idle.
class GuiControl : public GuiView {
public:
    // The control holds one reference on background while it keeps it.
    GuiControl(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background);

    ~GuiControl() override;
    void draw(GuiDrawContext* context) override = 0;
    bool isDirty() const override;
    void setDirty(bool state) override;

    // Runs the editor's paced idle work between polls of a mouse-tracking loop.
    virtual void idleDuringTracking();
    virtual void setValue(float newValue);
    virtual float getValue() const;
    virtual void setMin(float newMin);
    virtual float getMin() const;
    virtual void setMax(float newMax);
    virtual float getMax() const;
    virtual void setOldValue(float newOldValue);
    virtual float getOldValue() const;
    virtual void setDefaultValue(float newDefault);
    virtual float getDefaultValue() const;
    virtual void setTag(VstInt32 newTag);
    virtual void setBackground(GuiBitmap* bitmap);
    virtual GuiBitmap* getBackground() const;
    virtual void setStep(float newStep);
    virtual float getStep() const;
    virtual void clampValue();

    VstInt32 getTag() const { return tag; }
    GuiControlListener* getListener() const { return listener; }

protected:
    // Tells the listener, if there is one.
    void reportChange(GuiDrawContext* context);
    // The button state of a press this control acts on (mouse enabled, left button down), or 0.
    // Read once per press, so the handler works from the state the press had.
    VstInt32 pressButtons(GuiDrawContext* context) const;
    // Draws the background block at offset, honouring the transparency flag.
    void drawBackground(GuiDrawContext* context, const GuiPoint& offset);
    // The frame's edit brackets and focus; nothing without a frame.
    void beginEdit();
    void endEdit();

    GuiControlListener* listener;
    VstInt32 tag;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float step = 0.1f;
    GuiBitmap* background;
};
