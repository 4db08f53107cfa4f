// Lines, fills and block copies of the software surface.
#include "gui/platform/raster/raster_device.h"

#include <algorithm>
#include <cstdlib>

namespace gui_platform {
namespace raster {

GuiRect intersectRects(const GuiRect& a, const GuiRect& b) {
    GuiRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

RasterDevice::RasterDevice(Image& target, const GuiRect& area)
    : target(target), clip(intersectRects(area, GuiRect{0, 0, target.width, target.height})) {}

RasterDevice::RasterDevice(Image& target)
    : RasterDevice(target, GuiRect{0, 0, target.width, target.height}) {}

void RasterDevice::plot(int32_t x, int32_t y, GuiColor color) {
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) return;
    target.setPixel(x, y, color);
}

void RasterDevice::moveTo(GuiPoint p) { pen = p; }

// Bresenham's walk from the pen to p, stopping before p: a polyline therefore paints each
// corner once, and a closed outline covers its corner pixels exactly once. The walk is GDI's:
// the major axis steps every pixel, and where the exact line passes midway between two pixels
// the octant decides (a bias in octants 3, 5, 6 and 8), so the same pixels come out as on
// Windows whichever way the line runs. A dotted line, like one LineTo with GDI's alternate
// pen, starts with a painted pixel.
void RasterDevice::lineTo(GuiPoint p, GuiColor color, bool dotted) {
    const int32_t dx = p.h - pen.h;
    const int32_t dy = p.v - pen.v;
    const int32_t absDx = std::abs(dx);
    const int32_t absDy = std::abs(dy);
    int32_t octant;
    if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    const int32_t bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const bool xMajor = octant == 1 || octant == 4 || octant == 5 || octant == 8;
    const int32_t major = xMajor ? absDx : absDy;
    const int32_t minor = xMajor ? absDy : absDx;
    const int32_t xStep = dx > 0 ? 1 : -1;
    const int32_t yStep = dy > 0 ? 1 : -1;
    int32_t x = pen.h;
    int32_t y = pen.v;
    int32_t error = 2 * minor - major;
    for (int32_t i = 0; i < major; ++i) {
        if (!dotted || i % 2 == 0) plot(x, y, color);
        if (error + bias > 0) {
            if (xMajor) y += yStep;
            else x += xStep;
            error += 2 * minor - 2 * major;
        } else {
            error += 2 * minor;
        }
        if (xMajor) x += xStep;
        else y += yStep;
    }
    pen = p;
}

void RasterDevice::fillRect(const GuiRect& r, GuiColor color) {
    const GuiRect area = intersectRects(r, clip);
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x) target.setPixel(x, y, color);
}

void RasterDevice::copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                             GuiPoint dest) {
    copyBlock(image, nullptr, source, width, height, dest);
}

void RasterDevice::copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source,
                                  int32_t width, int32_t height, GuiPoint dest) {
    copyBlock(image, &mask, source, width, height, dest);
}

// The block is cut to the part that lies inside the source image and inside the clip before
// any pixel is read, so a block reaching past the image copies only its inside part.
void RasterDevice::copyBlock(const Image& image, const Mask* mask, GuiPoint source,
                             int32_t width, int32_t height, GuiPoint dest) {
    if (width <= 0 || height <= 0 || image.empty()) return;
    const int32_t shiftH = dest.h - source.h;
    const int32_t shiftV = dest.v - source.v;
    GuiRect inSource = intersectRects(
        GuiRect{source.h, source.v, source.h + width, source.v + height},
        GuiRect{0, 0, image.width, image.height});
    const GuiRect inDest = intersectRects(inSource.movedBy(shiftH, shiftV), clip);
    for (int32_t y = inDest.top; y < inDest.bottom; ++y) {
        const int32_t sy = y - shiftV;
        const uint8_t* from = &image.rgb[(size_t(sy) * size_t(image.width) +
                                          size_t(inDest.left - shiftH)) * 3];
        uint8_t* to = &target.rgb[(size_t(y) * size_t(target.width) + size_t(inDest.left)) * 3];
        for (int32_t x = inDest.left; x < inDest.right; ++x, from += 3, to += 3) {
            if (mask && mask->isKeyed(x - shiftH, sy)) continue;
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

}  // namespace raster
}  // namespace gui_platform
