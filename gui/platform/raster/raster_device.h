// RasterDevice: the platform drawing surface implemented in software on a 24-bit image, shared
// by the back ends that have no drawing library of their own, so they give identical pixels.
#pragma once

#include "gui/platform/platform.h"

namespace gui_platform {
namespace raster {

class RasterDevice : public Device {
public:
    // Draws into target, never outside clip (right and bottom exclusive) nor the image.
    RasterDevice(Image& target, const GuiRect& clip);
    explicit RasterDevice(Image& target);

    void moveTo(GuiPoint p) override;
    void lineTo(GuiPoint p, GuiColor color, bool dotted) override;
    GuiPoint penPosition() const override { return pen; }
    void fillRect(const GuiRect& r, GuiColor color) override;
    void drawText(const char* text, const GuiRect& box, const FontRequest& font,
                  const TextStyle& style) override;
    int32_t textWidth(const char* text, const FontRequest& font) override;
    void copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                   GuiPoint dest) override;
    void copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source, int32_t width,
                        int32_t height, GuiPoint dest) override;

    const GuiRect& clipRect() const { return clip; }

private:
    void plot(int32_t x, int32_t y, GuiColor color);
    void copyBlock(const Image& image, const Mask* mask, GuiPoint source, int32_t width,
                   int32_t height, GuiPoint dest);

    Image& target;
    GuiRect clip;
    GuiPoint pen;
};

// The intersection of two rectangles with exclusive right and bottom edges (may be empty).
GuiRect intersectRects(const GuiRect& a, const GuiRect& b);

}  // namespace raster
}  // namespace gui_platform
