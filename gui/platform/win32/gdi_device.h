// A drawing surface on a GDI device context.
#pragma once

#include <windows.h>

#include "gui/platform/platform.h"

namespace gui_platform {
namespace win32 {

// A top-down device-independent bitmap description; rows are padded to 4 bytes. Two-colour
// tables map mask bit 0 to black and 1 to white.
struct DibHeader {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

inline DibHeader dibHeader(int32_t width, int32_t height, WORD bits) {
    DibHeader dib = {};
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = width;
    dib.header.biHeight = -height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = bits;
    dib.header.biCompression = BI_RGB;
    dib.header.biClrUsed = bits == 1 ? 2 : 0;
    dib.colors[1] = RGBQUAD{255, 255, 255, 0};
    return dib;
}

// Pens, brushes and the font are created when a call first needs them and destroyed as soon
// as a call needs another one; at destruction the device context gets back the pen, brush,
// font, colours and background mode it had, and the device's own objects are destroyed.
// With releaseTo set, the device context came from GetDC(releaseTo) and is released here.
class GdiDevice : public Device {
public:
    GdiDevice(HDC dc, HWND releaseTo = nullptr);
    ~GdiDevice() override;

    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    void moveTo(GuiPoint p) override;
    void lineTo(GuiPoint p, GuiColor color, bool dotted) override;
    GuiPoint penPosition() const override;
    void fillRect(const GuiRect& r, GuiColor color) override;
    void drawText(const char* text, const GuiRect& box, const FontRequest& font,
                  const TextStyle& style) override;
    int32_t textWidth(const char* text, const FontRequest& font) override;
    void copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                   GuiPoint dest) override;
    void copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source, int32_t width,
                        int32_t height, GuiPoint dest) override;

    HDC handle() const { return dc; }

private:
    void usePen(GuiColor color, bool dotted);
    HBRUSH brushFor(GuiColor color);
    void useFont(const FontRequest& font);

    HDC dc;
    HWND releaseTo;
    HGDIOBJ savedPen;
    HGDIOBJ savedBrush;
    HGDIOBJ savedFont;
    COLORREF savedTextColor;
    COLORREF savedBackColor;
    int savedBackMode;

    HPEN pen = nullptr;
    GuiColor penColor;
    bool penDotted = false;
    HBRUSH brush = nullptr;
    GuiColor brushColor;
    HFONT font = nullptr;
    FontRequest fontKey;
};

// A font as the draw context describes it: character height, weight, face and family.
HFONT createFont(const FontRequest& font);

}  // namespace win32
}  // namespace gui_platform
