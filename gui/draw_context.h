// GuiDrawContext: the pen, fill, text colour and font state views draw with on one device.
#pragma once

#include <cstdint>

#include "gui/gui_types.h"
#include "gui/platform/platform.h"

class GuiFrame;

// Lives for one paint, press or idle redraw; used only on the user-interface thread.
// The fields are public for views to read; views write only offset.
class GuiDrawContext {
public:
    // Any of the three may be null. Without a device the drawing calls do nothing.
    GuiDrawContext(GuiFrame* frame, gui_platform::Device* device, gui_platform::Window* window);
    virtual ~GuiDrawContext();

    GuiDrawContext(const GuiDrawContext&) = delete;
    GuiDrawContext& operator=(const GuiDrawContext&) = delete;

    void moveTo(GuiPoint p);
    // A line to p in the pen; p itself is not painted and becomes the pen position.
    void lineTo(GuiPoint p);
    void setLineStyle(int32_t style);  // lineSolid or lineDotted

    // Outline covering columns left..right and rows top..bottom, both edges included.
    void strokeRect(const GuiRect& r);
    // The inside of that outline: columns left+1..right-1, rows top+1..bottom-1.
    void fillRect(const GuiRect& r);

    void setFrameColor(GuiColor color);
    void setFillColor(GuiColor color);
    void setFontColor(GuiColor color);
    // id outside 0..7 becomes 0; size 0 takes the font's default size; style: styleBold ...
    void setFont(int32_t id, int32_t size = 0, int32_t style = 0);

    // One line of text in r, centred vertically, clipped to r; align 0 (and anything other
    // than 1 and 2) starts one pixel inside the left edge. opaque paints the text cell in the
    // fill colour.
    void drawString(const char* text, const GuiRect& r, bool opaque = false,
                    int32_t align = alignCenter);

    // Live buttons and modifiers: buttonLeft ... modifierAlt.
    int32_t getMouseButtons();
    // Mouse position relative to the window origin taken at creation (offset not applied).
    void getMouseLocation(GuiPoint& point);

    // The default size of a font id (the table of the eight fonts), 0 for an unknown id.
    static int32_t defaultFontSize(int32_t id);
    // Face name a font id stands for: "Arial" or "Symbol".
    static const char* fontFaceName(int32_t id);
    // The font as it is handed to the device; fontSelected tells whether setFont was called.
    const gui_platform::FontRequest& currentFont() const { return font; }

    GuiPoint windowOrigin;
    GuiPoint offset;
    gui_platform::Device* device = nullptr;
    gui_platform::Window* window = nullptr;
    GuiFrame* frame = nullptr;
    int32_t fontSize = 0;
    int32_t fontId = 0;
    GuiColor fontColor = colorWhite;
    int32_t lineWidth = 1;
    GuiColor frameColor = colorWhite;
    GuiColor fillColor = colorBlack;
    int32_t lineStyle = lineSolid;
    int32_t penStyle = lineSolid;  // the device pen: dotted for lineStyle 1, else solid
    bool fontSelected = false;

private:
    // Until the first setFont, text uses the device's own font (the bold system face).
    gui_platform::FontRequest font;
};
