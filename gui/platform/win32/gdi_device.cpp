// GDI drawing: lines with cosmetic pens, fills, one line of text, and block copies of the skin
// images (plain, and colour-keyed through an AND mask and an OR of the keyed-out image).
#include "gui/platform/win32/gdi_device.h"

#include <algorithm>
#include <vector>

namespace gui_platform {
namespace win32 {

namespace {

COLORREF toColorRef(GuiColor c) { return RGB(c.red, c.green, c.blue); }

const char* faceName(int32_t id) { return id == fontSymbol ? "Symbol" : "Arial"; }

// The part of a width x height block at source that lies inside the image, and where it lands.
struct Block {
    int32_t sx, sy, dx, dy, w, h;
};

bool clipToImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                 GuiPoint dest, Block& out) {
    int32_t sx = source.h, sy = source.v, dx = dest.h, dy = dest.v;
    int32_t w = width, h = height;
    if (sx < 0) { w += sx; dx -= sx; sx = 0; }
    if (sy < 0) { h += sy; dy -= sy; sy = 0; }
    w = std::min(w, image.width - sx);
    h = std::min(h, image.height - sy);
    if (w <= 0 || h <= 0) return false;
    out = Block{sx, sy, dx, dy, w, h};
    return true;
}

size_t rowBytes(int32_t width, int32_t bits) { return ((size_t(width) * bits + 31) / 32) * 4; }

// The block's pixels as 24-bit BGR rows; keyed pixels (when a mask is given) become black so
// that an OR leaves the destination's pixel there.
std::vector<uint8_t> colorRows(const Image& image, const Mask* mask, const Block& b) {
    const size_t stride = rowBytes(b.w, 24);
    std::vector<uint8_t> rows(stride * size_t(b.h), 0);
    for (int32_t y = 0; y < b.h; ++y) {
        const uint8_t* from = &image.rgb[(size_t(b.sy + y) * size_t(image.width) + size_t(b.sx)) * 3];
        uint8_t* to = &rows[stride * size_t(y)];
        for (int32_t x = 0; x < b.w; ++x, from += 3, to += 3) {
            if (mask && mask->isKeyed(b.sx + x, b.sy + y)) continue;
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return rows;
}

// One bit per pixel, 1 where the image shows its key colour.
std::vector<uint8_t> maskRows(const Mask& mask, const Block& b) {
    const size_t stride = rowBytes(b.w, 1);
    std::vector<uint8_t> rows(stride * size_t(b.h), 0);
    for (int32_t y = 0; y < b.h; ++y) {
        for (int32_t x = 0; x < b.w; ++x) {
            if (mask.isKeyed(b.sx + x, b.sy + y))
                rows[stride * size_t(y) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    }
    return rows;
}

}  // namespace

HFONT createFont(const FontRequest& font) {
    LOGFONTA description = {};
    description.lfHeight = -font.size;  // negative: the character height, not the cell
    description.lfWeight = (font.bold || font.id == fontSystem) ? FW_BOLD : FW_NORMAL;
    description.lfItalic = font.italic ? TRUE : FALSE;
    description.lfUnderline = font.underline ? TRUE : FALSE;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = font.id == fontSymbol ? (DEFAULT_PITCH | FF_DECORATIVE)
                                                         : (VARIABLE_PITCH | FF_SWISS);
    lstrcpynA(description.lfFaceName, faceName(font.id), LF_FACESIZE);
    return CreateFontIndirectA(&description);
}

GdiDevice::GdiDevice(HDC dc, HWND releaseTo)
    : dc(dc), releaseTo(releaseTo),
      savedPen(GetCurrentObject(dc, OBJ_PEN)),
      savedBrush(GetCurrentObject(dc, OBJ_BRUSH)),
      savedFont(GetCurrentObject(dc, OBJ_FONT)),
      savedTextColor(GetTextColor(dc)),
      savedBackColor(GetBkColor(dc)),
      savedBackMode(GetBkMode(dc)) {
    SetBkMode(dc, TRANSPARENT);
}

GdiDevice::~GdiDevice() {
    SelectObject(dc, savedPen);
    SelectObject(dc, savedBrush);
    SelectObject(dc, savedFont);
    SetTextColor(dc, savedTextColor);
    SetBkColor(dc, savedBackColor);
    SetBkMode(dc, savedBackMode);
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
    if (font) DeleteObject(font);
    if (releaseTo) ReleaseDC(releaseTo, dc);
}

void GdiDevice::usePen(GuiColor color, bool dotted) {
    if (pen && penColor.sameRgb(color) && penDotted == dotted) return;
    HPEN made;
    if (dotted) {
        // A one-pixel cosmetic pen that paints every other pixel.
        LOGBRUSH solid = {BS_SOLID, toColorRef(color), 0};
        made = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &solid, 0, nullptr);
    } else {
        made = CreatePen(PS_SOLID, 1, toColorRef(color));
    }
    if (!made) return;  // keep drawing with what is selected
    SelectObject(dc, made);
    if (pen) DeleteObject(pen);
    pen = made;
    penColor = color;
    penDotted = dotted;
}

HBRUSH GdiDevice::brushFor(GuiColor color) {
    if (brush && brushColor.sameRgb(color)) return brush;
    HBRUSH made = CreateSolidBrush(toColorRef(color));
    if (!made) return brush;  // the previous brush stays in use
    SelectObject(dc, made);
    if (brush) DeleteObject(brush);
    brush = made;
    brushColor = color;
    return brush;
}

void GdiDevice::useFont(const FontRequest& request) {
    if (font && fontKey.id == request.id && fontKey.size == request.size &&
        fontKey.bold == request.bold && fontKey.italic == request.italic &&
        fontKey.underline == request.underline) {
        return;
    }
    HFONT made = createFont(request);
    if (!made) return;
    SelectObject(dc, made);
    if (font) DeleteObject(font);
    font = made;
    fontKey = request;
}

void GdiDevice::moveTo(GuiPoint p) { MoveToEx(dc, p.h, p.v, nullptr); }

void GdiDevice::lineTo(GuiPoint p, GuiColor color, bool dotted) {
    usePen(color, dotted);
    LineTo(dc, p.h, p.v);
}

GuiPoint GdiDevice::penPosition() const {
    POINT p = {};
    GetCurrentPositionEx(dc, &p);
    return GuiPoint{p.x, p.y};
}

void GdiDevice::fillRect(const GuiRect& r, GuiColor color) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    HBRUSH fill = brushFor(color);
    if (!fill) return;
    RECT area = {r.left, r.top, r.right, r.bottom};
    FillRect(dc, &area, fill);
}

void GdiDevice::drawText(const char* text, const GuiRect& box, const FontRequest& request,
                         const TextStyle& style) {
    if (!text) return;
    useFont(request);
    SetTextColor(dc, toColorRef(style.color));
    if (style.opaque) {
        SetBkColor(dc, toColorRef(style.background));
        SetBkMode(dc, OPAQUE);
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (style.align == alignCenter) format |= DT_CENTER;
    else if (style.align == alignRight) format |= DT_RIGHT;
    RECT area = {box.left, box.top, box.right, box.bottom};
    DrawTextA(dc, text, -1, &area, format);
    SetBkMode(dc, TRANSPARENT);
}

int32_t GdiDevice::textWidth(const char* text, const FontRequest& request) {
    if (!text || !*text) return 0;
    useFont(request);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    return extent.cx;
}

void GdiDevice::copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                          GuiPoint dest) {
    Block b;
    if (!clipToImage(image, source, width, height, dest, b)) return;
    const std::vector<uint8_t> rows = colorRows(image, nullptr, b);
    const DibHeader dib = dibHeader(b.w, b.h, 24);
    SetDIBitsToDevice(dc, b.dx, b.dy, DWORD(b.w), DWORD(b.h), 0, 0, 0, UINT(b.h), rows.data(),
                      dib.info(), DIB_RGB_COLORS);
}

// The destination is cleared where the image has its own pixels (AND with the mask, keyed
// pixels white), then the image with its keyed pixels black is ORed in.
void GdiDevice::copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source,
                               int32_t width, int32_t height, GuiPoint dest) {
    Block b;
    if (!clipToImage(image, source, width, height, dest, b)) return;
    const std::vector<uint8_t> keyBits = maskRows(mask, b);
    const std::vector<uint8_t> rows = colorRows(image, &mask, b);
    const DibHeader maskDib = dibHeader(b.w, b.h, 1);
    const DibHeader colorDib = dibHeader(b.w, b.h, 24);
    StretchDIBits(dc, b.dx, b.dy, b.w, b.h, 0, 0, b.w, b.h, keyBits.data(),
                  maskDib.info(), DIB_RGB_COLORS, SRCAND);
    StretchDIBits(dc, b.dx, b.dy, b.w, b.h, 0, 0, b.w, b.h, rows.data(),
                  colorDib.info(), DIB_RGB_COLORS, SRCPAINT);
}

}  // namespace win32
}  // namespace gui_platform
