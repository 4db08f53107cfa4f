// GuiValueDisplay: formats the value and draws text in a box, with optional shadow and 3D frame.
#include "gui/views/gui_value_display.h"

#include <cstdio>

#include "gui/bitmap.h"
#include "gui/draw_context.h"

GuiValueDisplay::GuiValueDisplay(const GuiRect& size, GuiBitmap* background, VstInt32 style)
    : GuiControl(size, nullptr, 0, background), style(style) {
    if (style & kNoDrawStyle) setDirty(false);
}

void GuiValueDisplay::draw(GuiDrawContext* context) {
    char text[kGuiTextSize] = "";
    if (valueFormatterWithData)
        valueFormatterWithData(value, text, userData);
    else if (valueFormatter)
        valueFormatter(value, text);
    else
        std::snprintf(text, sizeof text, "%2.2f", value);
    drawText(context, text);
}

void GuiValueDisplay::drawText(GuiDrawContext* context, const char* text, GuiBitmap* bitmap) {
    setDirty(false);
    if (style & kNoDrawStyle) return;

    GuiBitmap* image = bitmap ? bitmap : background;
    const bool framed3D = (style & (k3DIn | k3DOut)) != 0;
    if (image) {
        if (transparent)
            image->drawTransparent(context, size, backOffset);
        else
            image->draw(context, size, backOffset);
    } else if (!transparent) {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!framed3D) {
            context->setFrameColor(frameColor);
            context->strokeRect(size);
        }
    }

    if (framed3D) {
        const bool sunken = (style & k3DIn) != 0;
        context->setFrameColor(sunken ? backColor : frameColor);
        context->moveTo(GuiPoint{size.left, size.bottom});
        context->lineTo(GuiPoint{size.left, size.top});
        context->lineTo(GuiPoint{size.right + 1, size.top});
        context->setFrameColor(sunken ? frameColor : backColor);
        context->moveTo(GuiPoint{size.right, size.top + 1});
        context->lineTo(GuiPoint{size.right, size.bottom});
        context->lineTo(GuiPoint{size.left, size.bottom});
    }

    if (style & kNoTextStyle) return;
    context->setFont(fontId, 0, textFace);
    if (style & kShadowText) {
        context->setFontColor(shadowColor);
        context->drawString(text, size.movedBy(1, 1), !textTransparent, alignment);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, !textTransparent, alignment);
}

void GuiValueDisplay::changeColor(GuiColor& field, GuiColor color) {
    if (field.sameRgb(color)) return;
    field = color;
    setDirty(true);
}

void GuiValueDisplay::setFont(VstInt32 newFontId) {
    if (fontId == newFontId) return;
    fontId = newFontId;
    setDirty(true);
}

void GuiValueDisplay::setTextColor(GuiColor color) { changeColor(fontColor, color); }
void GuiValueDisplay::setBoxColor(GuiColor color) { changeColor(backColor, color); }
void GuiValueDisplay::setBorderColor(GuiColor color) { changeColor(frameColor, color); }
void GuiValueDisplay::setTextShadowColor(GuiColor color) { changeColor(shadowColor, color); }

void GuiValueDisplay::setAlignment(VstInt32 newAlignment) {
    if (alignment == newAlignment) return;
    alignment = newAlignment;
    setDirty(true);
}

void GuiValueDisplay::setImageOffset(const GuiPoint& offset) { backOffset = offset; }

void GuiValueDisplay::setValueFormatter(GuiValueFormatterWithData formatter, void* data) {
    valueFormatterWithData = formatter;
    userData = data;
}

void GuiValueDisplay::setValueFormatter(GuiValueFormatter formatter) { valueFormatter = formatter; }

void GuiValueDisplay::setStyle(VstInt32 newStyle) {
    if (style == newStyle) return;
    style = newStyle;
    setDirty(true);
}

void GuiValueDisplay::setFontFace(VstInt32 face) {
    if (textFace == face) return;
    textFace = face;
    setDirty(true);
}

void GuiValueDisplay::setTextTransparent(bool state) { textTransparent = state; }
