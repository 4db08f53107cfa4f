// GuiDrawContext: keeps a view's pen, fill, text colour and font and hands them to the device
// with each drawing call.
#include "gui/draw_context.h"

namespace {

struct FontTableRow {
    const char* face;
    int32_t defaultSize;
};

// Indexed by font id.
const FontTableRow kFontTable[kGuiFontCount] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

}  // namespace

int32_t GuiDrawContext::defaultFontSize(int32_t id) {
    return id >= 0 && id < kGuiFontCount ? kFontTable[id].defaultSize : 0;
}

const char* GuiDrawContext::fontFaceName(int32_t id) {
    return id >= 0 && id < kGuiFontCount ? kFontTable[id].face : kFontTable[0].face;
}

GuiDrawContext::GuiDrawContext(GuiFrame* frame, gui_platform::Device* device,
                               gui_platform::Window* window)
    : device(device), window(window), frame(frame) {
    if (window) windowOrigin = window->screenOrigin();
    if (device) {
        setFrameColor(frameColor);
        setLineStyle(lineStyle);
        setFillColor(fillColor);
        setFontColor(fontColor);
    }
    // The device's own font until the first setFont: the bold system face.
    font.id = fontSystem;
    font.size = defaultFontSize(fontSystem);
    font.bold = true;
}

// Nothing to give back: the device holds no pens, brushes or fonts of this context.
GuiDrawContext::~GuiDrawContext() {}

void GuiDrawContext::setLineStyle(int32_t style) {
    lineStyle = style;
    penStyle = style == lineDotted ? lineDotted : lineSolid;
}

void GuiDrawContext::setFrameColor(GuiColor color) { frameColor = color; }
void GuiDrawContext::setFillColor(GuiColor color) { fillColor = color; }
void GuiDrawContext::setFontColor(GuiColor color) { fontColor = color; }

void GuiDrawContext::setFont(int32_t id, int32_t size, int32_t style) {
    if (id < 0 || id >= kGuiFontCount) id = fontSystem;
    if (size == 0) size = defaultFontSize(id);
    fontId = id;
    fontSize = size;
    font.id = id;
    font.size = size;
    font.bold = (style & styleBold) != 0 || id == fontSystem;  // the system font is always bold
    font.italic = (style & styleItalic) != 0;
    font.underline = (style & styleUnderline) != 0;
    fontSelected = true;
}

void GuiDrawContext::moveTo(GuiPoint p) {
    if (device) device->moveTo(GuiPoint{p.h + offset.h, p.v + offset.v});
}

void GuiDrawContext::lineTo(GuiPoint p) {
    if (device)
        device->lineTo(GuiPoint{p.h + offset.h, p.v + offset.v}, frameColor, penStyle == lineDotted);
}

void GuiDrawContext::strokeRect(const GuiRect& r) {
    if (!device) return;
    const GuiRect d = r.movedBy(offset.h, offset.v);
    const bool dotted = penStyle == lineDotted;
    device->moveTo(GuiPoint{d.left, d.top});
    device->lineTo(GuiPoint{d.right, d.top}, frameColor, dotted);
    device->lineTo(GuiPoint{d.right, d.bottom}, frameColor, dotted);
    device->lineTo(GuiPoint{d.left, d.bottom}, frameColor, dotted);
    device->lineTo(GuiPoint{d.left, d.top}, frameColor, dotted);
}

void GuiDrawContext::fillRect(const GuiRect& r) {
    if (!device) return;
    const GuiRect d = r.movedBy(offset.h, offset.v);
    // The device's right and bottom edges are exclusive: this is left+1..right-1.
    device->fillRect(GuiRect{d.left + 1, d.top + 1, d.right, d.bottom}, fillColor);
}

void GuiDrawContext::drawString(const char* text, const GuiRect& r, bool opaque, int32_t align) {
    if (!device || !text) return;
    GuiRect box = r.movedBy(offset.h, offset.v);
    gui_platform::TextStyle style;
    style.color = fontColor;
    style.opaque = opaque;
    style.background = fillColor;
    style.align = align;
    if (align != alignCenter && align != alignRight) {
        style.align = alignLeft;
        box.left += 1;
    }
    device->drawText(text, box, font, style);
}

int32_t GuiDrawContext::getMouseButtons() {
    const int32_t known = buttonLeft | buttonMiddle | buttonRight | modifierShift |
                          modifierControl | modifierAlt;
    return gui_platform::mouseButtons() & known;
}

void GuiDrawContext::getMouseLocation(GuiPoint& point) {
    const GuiPoint screen = gui_platform::mouseScreenPosition();
    point = GuiPoint{screen.h - windowOrigin.h, screen.v - windowOrigin.v};
}
