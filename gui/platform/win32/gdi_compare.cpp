// zelvik-gdi-compare: draws a table of cases (lines in every direction, dotted outlines, fills,
// plain and colour-keyed block copies, clipping at the surface's edges) through the GDI device
// and through the software rasteriser, and prints per case how many pixels differ. The tests
// run it under Wine and require 0 everywhere: outside text the two back ends are one picture.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "gui/platform/raster/raster_device.h"
#include "gui/platform/win32/gdi_device.h"

using gui_platform::Device;
using gui_platform::Image;
using gui_platform::win32::DibHeader;
using gui_platform::win32::dibHeader;
using gui_platform::Mask;

namespace {

constexpr int32_t kSize = 64;
const GuiColor kCanvas{90, 100, 110, 0};
const GuiColor kInk{250, 40, 20, 0};

// A small picture with the key colour in a pattern, for the block copies.
Image sampleImage() {
    Image image(20, 12);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            image.setPixel(x, y, (x + y) % 3 == 0 ? colorYellow : GuiColor{uint8_t(x * 12), uint8_t(y * 20), 77, 0});
    return image;
}

struct Case {
    const char* name;
    std::function<void(Device&)> draw;
};

std::vector<Case> cases() {
    static const Image image = sampleImage();
    static const Mask mask = gui_platform::buildColorKeyMask(image, colorYellow);
    std::vector<Case> list;
    // Lines from the centre to points around it: every octant, steep and shallow, and the axes.
    const GuiPoint ends[] = {{60, 32}, {60, 40}, {60, 60}, {40, 60}, {32, 60}, {20, 61}, {3, 60}, {2, 45},
                             {2, 32}, {3, 20}, {4, 4},   {20, 2},  {32, 2},  {45, 3},  {61, 4}, {61, 25},
                             {33, 33}, {32, 32}};
    std::vector<GuiPoint> ring(std::begin(ends), std::end(ends));
    for (int32_t t = 1; t < 63; t += 3) {
        ring.push_back(GuiPoint{t, 1});
        ring.push_back(GuiPoint{t, 62});
        ring.push_back(GuiPoint{1, t});
        ring.push_back(GuiPoint{62, t});
    }
    for (const GuiPoint& end : ring) {
        list.push_back({"line", [end](Device& d) {
                            d.moveTo(GuiPoint{32, 32});
                            d.lineTo(end, kInk, false);
                        }});
    }
    list.push_back({"polyline", [](Device& d) {
                        d.moveTo(GuiPoint{5, 5});
                        d.lineTo(GuiPoint{50, 9}, kInk, false);
                        d.lineTo(GuiPoint{45, 55}, kInk, false);
                        d.lineTo(GuiPoint{8, 40}, kInk, false);
                        d.lineTo(GuiPoint{5, 5}, kInk, false);
                    }});
    list.push_back({"outline", [](Device& d) {
                        d.moveTo(GuiPoint{10, 12});
                        d.lineTo(GuiPoint{50, 12}, kInk, false);
                        d.lineTo(GuiPoint{50, 40}, kInk, false);
                        d.lineTo(GuiPoint{10, 40}, kInk, false);
                        d.lineTo(GuiPoint{10, 12}, kInk, false);
                    }});
    list.push_back({"dotted outline", [](Device& d) {
                        d.moveTo(GuiPoint{10, 12});
                        d.lineTo(GuiPoint{50, 12}, kInk, true);
                        d.lineTo(GuiPoint{50, 41}, kInk, true);
                        d.lineTo(GuiPoint{10, 41}, kInk, true);
                        d.lineTo(GuiPoint{10, 12}, kInk, true);
                    }});
    list.push_back({"dotted diagonal", [](Device& d) {
                        d.moveTo(GuiPoint{3, 7});
                        d.lineTo(GuiPoint{58, 49}, kInk, true);
                    }});
    list.push_back({"line leaving the surface", [](Device& d) {
                        d.moveTo(GuiPoint{-20, 10});
                        d.lineTo(GuiPoint{90, 70}, kInk, false);
                    }});
    list.push_back({"fills", [](Device& d) {
                        d.fillRect(GuiRect{11, 13, 50, 40}, kInk);
                        d.fillRect(GuiRect{0, 0, 1, 1}, colorWhite);
                        d.fillRect(GuiRect{30, 30, 30, 40}, colorBlack);  // empty
                        d.fillRect(GuiRect{40, 40, 35, 45}, colorBlack);  // inverted: nothing
                        d.fillRect(GuiRect{-5, 50, 70, 80}, colorCyan);   // beyond the edges
                    }});
    list.push_back({"copy", [](Device& d) {
                        d.copyImage(image, GuiPoint{0, 0}, 20, 12, GuiPoint{3, 4});
                        d.copyImage(image, GuiPoint{5, 2}, 30, 30, GuiPoint{30, 30});  // block beyond the image
                        d.copyImage(image, GuiPoint{0, 0}, 20, 12, GuiPoint{55, -5});  // beyond the surface
                    }});
    list.push_back({"keyed copy", [](Device& d) {
                        d.fillRect(GuiRect{0, 0, 64, 64}, colorMagenta);
                        d.copyImageKeyed(image, mask, GuiPoint{0, 0}, 20, 12, GuiPoint{3, 4});
                        d.copyImageKeyed(image, mask, GuiPoint{4, 3}, 10, 5, GuiPoint{40, 50});
                        d.copyImageKeyed(image, mask, GuiPoint{0, 0}, 20, 12, GuiPoint{-6, 58});
                    }});
    return list;
}

Image drawWithGdi(const Case& c) {
    const DibHeader dib = dibHeader(kSize, kSize, 32);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP section = CreateDIBSection(dc, dib.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, section);
    Image out(kSize, kSize);
    {
        gui_platform::win32::GdiDevice device(dc);
        device.fillRect(GuiRect{0, 0, kSize, kSize}, kCanvas);
        c.draw(device);
    }
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (int32_t y = 0; y < kSize; ++y)
        for (int32_t x = 0; x < kSize; ++x) {
            const uint32_t p = pixels[y * kSize + x];
            out.setPixel(x, y, GuiColor{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 0});
        }
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
    return out;
}

Image drawWithRaster(const Case& c) {
    Image out(kSize, kSize);
    gui_platform::raster::RasterDevice device(out);
    device.fillRect(GuiRect{0, 0, kSize, kSize}, kCanvas);
    c.draw(device);
    return out;
}

}  // namespace

int main() {
    int total = 0, index = 0;
    for (const Case& c : cases()) {
        const Image gdi = drawWithGdi(c), raster = drawWithRaster(c);
        int differing = 0, firstX = -1, firstY = -1;
        for (int32_t y = 0; y < kSize; ++y)
            for (int32_t x = 0; x < kSize; ++x)
                if (!gdi.pixel(x, y).sameRgb(raster.pixel(x, y)) && differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
        std::printf("case %d %s: %d differing", index++, c.name, differing);
        if (differing) std::printf(" (first at %d,%d)", firstX, firstY);
        std::printf("\n");
        total += differing;
        if (differing && std::getenv("ZELVIK_GDI_COMPARE_DUMP")) {
            for (int32_t y = 0; y < kSize; ++y) {
                for (int32_t x = 0; x < kSize; ++x) {
                    const bool g = gdi.pixel(x, y).sameRgb(kInk), r = raster.pixel(x, y).sameRgb(kInk);
                    std::putchar(g && r ? '#' : g ? 'G' : r ? 'R' : '.');
                }
                std::putchar('\n');
            }
        }
    }
    std::printf("total %d\n", total);
    return 0;
}
