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

void RasterDevice::moveTo(GuiPoint p) {
    pen = p;
    dotPhase = 0;
}

// Bresenham's walk from the pen to p, stopping before p: a polyline therefore paints each
// corner once, and a closed outline covers its corner pixels exactly once.
void RasterDevice::lineTo(GuiPoint p, GuiColor color, bool dotted) {
    int32_t x = pen.h;
    int32_t y = pen.v;
    const int32_t dx = std::abs(p.h - x);
    const int32_t dy = -std::abs(p.v - y);
    const int32_t sx = x < p.h ? 1 : -1;
    const int32_t sy = y < p.v ? 1 : -1;
    int32_t error = dx + dy;
    while (x != p.h || y != p.v) {
        if (!dotted || dotPhase % 2 == 0) plot(x, y, color);
        ++dotPhase;
        const int32_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
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
