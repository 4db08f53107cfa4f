// 24-bit pixel images and one-bit colour-key masks, the picture format of every back end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/gui_types.h"

namespace gui_platform {

// Red, green, blue bytes per pixel, rows top first, no padding.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;

    Image() = default;
    Image(int32_t w, int32_t h, GuiColor fill = colorBlack) { resize(w, h, fill); }

    void resize(int32_t w, int32_t h, GuiColor fill = colorBlack) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        rgb.assign(size_t(width) * size_t(height) * 3, 0);
        for (size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = fill.red;
            rgb[i + 1] = fill.green;
            rgb[i + 2] = fill.blue;
        }
    }
    bool empty() const { return width == 0 || height == 0; }
    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Out-of-range reads give black, out-of-range writes are dropped.
    GuiColor pixel(int32_t x, int32_t y) const {
        if (!inside(x, y)) return colorBlack;
        const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return GuiColor{p[0], p[1], p[2], 0};
    }
    void setPixel(int32_t x, int32_t y, GuiColor c) {
        if (!inside(x, y)) return;
        uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        p[0] = c.red;
        p[1] = c.green;
        p[2] = c.blue;
    }
};

// One byte per pixel: 1 where the image shows its key colour (left out of a keyed copy).
struct Mask {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> keyed;

    bool isKeyed(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               keyed[size_t(y) * size_t(width) + size_t(x)] != 0;
    }
};

// The mask of every pixel equal to key in red, green and blue (exact match).
inline Mask buildColorKeyMask(const Image& image, GuiColor key) {
    Mask mask;
    mask.width = image.width;
    mask.height = image.height;
    mask.keyed.assign(size_t(image.width) * size_t(image.height), 0);
    for (size_t i = 0; i < mask.keyed.size(); ++i) {
        const uint8_t* p = &image.rgb[i * 3];
        mask.keyed[i] = (p[0] == key.red && p[1] == key.green && p[2] == key.blue) ? 1 : 0;
    }
    return mask;
}

}  // namespace gui_platform
