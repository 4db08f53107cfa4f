// GuiKnob: a rotary control dragged in a circle or in a line, stepped with the arrow keys.
#pragma once

#include "gui/views/gui_control.h"

// Angles are in radians with the vertical axis pointing up: 0 is right, pi/2 is up. The default
// sweep starts at 225 degrees (lower left) and turns 270 degrees clockwise, leaving a 90 degree
// dead zone at the bottom.
class GuiKnob : public GuiControl {
public:
    GuiKnob(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background,
            GuiBitmap* handleBitmap, const GuiPoint& offset);

    ~GuiKnob() override;
    void draw(GuiDrawContext* context) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;
    VstInt32 onKeyDown(VstKeyCode& key) override;

    virtual void drawHandle(GuiDrawContext* context);
    virtual void setSweepStart(float angle);
    virtual float getSweepStart() const;
    virtual void setSweepAngle(float angle);
    virtual float getSweepAngle() const;
    // Where the handle points for the current value, relative to the knob's top-left.
    virtual void pointForValue(GuiPoint& point) const;
    // The value a point (relative to the knob's top-left) stands for; points in the dead zone
    // give the end of the sweep they are nearer to.
    virtual float valueForPoint(const GuiPoint& point) const;
    virtual void setHandleInset(VstInt32 newInset);
    virtual void setHandleShadowColor(GuiColor color);
    virtual void setHandleColor(GuiColor color);
    virtual void setHandleImage(GuiBitmap* bitmap);
    virtual void setFineFactor(float factor);
    virtual float getFineFactor() const;

protected:
    void computeCoefficients();

    GuiPoint offset;
    GuiColor handleColor;
    GuiColor handleShadowColor;
    GuiBitmap* handleBitmap;
    VstInt32 inset = 3;
    float startAngle = 0.0f;
    float rangeAngle = 0.0f;
    float halfGap = 0.0f;
    float aCoef = 0.0f;
    float bCoef = 0.0f;
    float radius;
    float zoomFactor = 1.5f;
};
