// GuiControl: value, range, tag and listener shared by every control.
#include "gui/views/gui_control.h"

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/frame.h"

GuiControl::GuiControl(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background)
    : GuiView(size), listener(listener), tag(tag), background(background) {
    if (background) background->addReference();
}

GuiControl::~GuiControl() {
    if (background) background->dropReference();
}

bool GuiControl::isDirty() const { return dirty || value != oldValue; }

// Marking dirty makes the remembered value differ from the value, even when the value is -1.
void GuiControl::setDirty(bool state) {
    GuiView::setDirty(state);
    if (state)
        oldValue = value != -1.0f ? -1.0f : 0.0f;
    else
        oldValue = value;
}

void GuiControl::idleDuringTracking() {
    if (frame) frame->idleDuringTracking();
}

void GuiControl::setValue(float newValue) { value = newValue; }
float GuiControl::getValue() const { return value; }
void GuiControl::setMin(float newMin) { minimum = newMin; }
float GuiControl::getMin() const { return minimum; }
void GuiControl::setMax(float newMax) { maximum = newMax; }
float GuiControl::getMax() const { return maximum; }
void GuiControl::setOldValue(float newOldValue) { oldValue = newOldValue; }
float GuiControl::getOldValue() const { return oldValue; }
void GuiControl::setDefaultValue(float newDefault) { defaultValue = newDefault; }
float GuiControl::getDefaultValue() const { return defaultValue; }
void GuiControl::setTag(VstInt32 newTag) { tag = newTag; }

void GuiControl::setBackground(GuiBitmap* bitmap) {
    if (bitmap) bitmap->addReference();  // before the release, in case it is the same bitmap
    if (background) background->dropReference();
    background = bitmap;
}

GuiBitmap* GuiControl::getBackground() const { return background; }
void GuiControl::setStep(float newStep) { step = newStep; }
float GuiControl::getStep() const { return step; }

void GuiControl::clampValue() {
    if (value > maximum)
        value = maximum;
    else if (value < minimum)
        value = minimum;
}

void GuiControl::reportChange(GuiDrawContext* context) {
    if (listener) listener->valueChanged(context, this);
}

VstInt32 GuiControl::pressButtons(GuiDrawContext* context) const {
    if (!mouseEnabled || !context) return 0;
    const VstInt32 buttons = context->getMouseButtons();
    return (buttons & buttonLeft) ? buttons : 0;
}

void GuiControl::drawBackground(GuiDrawContext* context, const GuiPoint& offset) {
    if (!background) return;
    if (transparent)
        background->drawTransparent(context, size, offset);
    else
        background->draw(context, size, offset);
}

void GuiControl::beginEdit() {
    if (frame) frame->beginEdit(tag);
}

void GuiControl::endEdit() {
    if (frame) frame->endEdit(tag);
}
