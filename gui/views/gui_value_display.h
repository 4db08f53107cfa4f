// GuiValueDisplay: shows a control's value as one line of text over a bitmap or a framed box.
#pragma once

#include "gui/views/gui_control.h"

// Style bits.
enum GuiTextStyle : VstInt32 {
    kShadowText = 0x4,        // text drawn first one pixel right and down in the shadow colour
    k3DIn = 0x80,             // 3D frame: left/top in the back colour, right/bottom in the frame colour
    k3DOut = 0x100,           // 3D frame the other way round (k3DIn wins when both are set)
    kNoTextStyle = 0x800,     // no text
    kNoDrawStyle = 0x1000,    // draw nothing at all
    kDoubleClickStyle = 0x2000 // text fields only: editing starts on a double click
};

// Formatters write at most kGuiTextSize characters including the terminator.
constexpr VstInt32 kGuiTextSize = 256;
typedef void (*GuiValueFormatter)(float value, char* text);
typedef void (*GuiValueFormatterWithData)(float value, char* text, void* userData);

class GuiValueDisplay : public GuiControl {
public:
    GuiValueDisplay(const GuiRect& size, GuiBitmap* background, VstInt32 style = 0);

    void draw(GuiDrawContext* context) override;

    // Appearance setters mark the display dirty only when the setting really changes.
    virtual void setFont(VstInt32 fontId);
    virtual void setTextColor(GuiColor color);
    virtual void setBoxColor(GuiColor color);
    virtual void setBorderColor(GuiColor color);
    virtual void setTextShadowColor(GuiColor color);
    virtual void setAlignment(VstInt32 alignment);
    virtual void setImageOffset(const GuiPoint& offset);
    virtual void setValueFormatter(GuiValueFormatterWithData formatter, void* userData);
    virtual void setValueFormatter(GuiValueFormatter formatter);
    // Keeps the operations after it at their fixed places in the table; nothing uses it.
    virtual void reservedOperation() {}
    virtual void setStyle(VstInt32 newStyle);
    virtual void setFontFace(VstInt32 face);
    virtual void setTextTransparent(bool state);

    VstInt32 getStyle() const { return style; }
    VstInt32 getFont() const { return fontId; }
    GuiColor getTextColor() const { return fontColor; }

protected:
    // The drawing shared with text fields: background or box, 3D frame, shadow and text. bitmap,
    // when given, is drawn instead of the control's background.
    void drawText(GuiDrawContext* context, const char* text, GuiBitmap* bitmap = nullptr);
    void changeColor(GuiColor& field, GuiColor color);

    GuiValueFormatter valueFormatter = nullptr;
    GuiValueFormatterWithData valueFormatterWithData = nullptr;
    void* userData = nullptr;
    VstInt32 alignment = alignCenter;
    VstInt32 style;
    VstInt32 fontId = fontNormal;
    VstInt32 textFace = 0;
    GuiColor fontColor = colorWhite;
    GuiColor backColor = colorBlack;
    GuiColor frameColor = colorBlack;
    GuiColor shadowColor = colorRed;
    GuiPoint backOffset{0, 0};
    bool textTransparent = true;
};
