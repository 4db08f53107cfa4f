// Image blocks to X11 pixels.
#include "gui/platform/x11/x11_surface.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

namespace gui_platform {
namespace x11 {

namespace {
void maskLayout(unsigned long mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (!mask) return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}
}  // namespace

X11Surface::X11Surface(Display* display, Visual* visual, int depth, int width, int height)
    : display(display), width(width), height(height) {
    if (!visual || width <= 0 || height <= 0) return;
    maskLayout(visual->red_mask, shift[0], bits[0]);
    maskLayout(visual->green_mask, shift[1], bits[1]);
    maskLayout(visual->blue_mask, shift[2], bits[2]);
    if (!bits[0] || !bits[1] || !bits[2]) return;  // not a true-colour visual
    // A 32-bit visual (hosts that draw with a compositor) keeps alpha in the remaining bits:
    // the editor is opaque.
    if (depth == 32) opaqueBits = ~(visual->red_mask | visual->green_mask | visual->blue_mask) & 0xFFFFFFFFul;
    image = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, unsigned(width),
                         unsigned(height), 32, 0);
    if (!image) return;
    image->data = static_cast<char*>(std::calloc(size_t(image->bytes_per_line), size_t(height)));
    if (!image->data) {
        XDestroyImage(image);
        image = nullptr;
    }
}

X11Surface::~X11Surface() {
    if (gc) XFreeGC(display, gc);
    if (image) XDestroyImage(image);  // frees the pixel buffer too
}

unsigned long X11Surface::pixelOf(const uint8_t* rgb) const {
    unsigned long pixel = opaqueBits;
    for (int channel = 0; channel < 3; ++channel) {
        unsigned long value = rgb[channel];
        value = bits[channel] >= 8 ? value << (bits[channel] - 8) : value >> (8 - bits[channel]);
        pixel |= value << shift[channel];
    }
    return pixel;
}

void X11Surface::put(::Window drawable, const Image& source, const GuiRect& area) {
    if (!image || !drawable) return;
    const int left = std::max({0, int(area.left)});
    const int top = std::max({0, int(area.top)});
    const int right = std::min({width, int(area.right), int(source.width)});
    const int bottom = std::min({height, int(area.bottom), int(source.height)});
    if (right <= left || bottom <= top) return;
    const bool fast = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    for (int y = top; y < bottom; ++y) {
        const uint8_t* from = &source.rgb[(size_t(y) * size_t(source.width) + size_t(left)) * 3];
        if (fast) {
            uint32_t* to = reinterpret_cast<uint32_t*>(image->data + size_t(y) * size_t(image->bytes_per_line)) + left;
            for (int x = left; x < right; ++x, from += 3) *to++ = uint32_t(pixelOf(from));
        } else {
            for (int x = left; x < right; ++x, from += 3) XPutPixel(image, x, y, pixelOf(from));
        }
    }
    if (!gc || gcDrawable != drawable) {
        if (gc) XFreeGC(display, gc);
        gc = XCreateGC(display, drawable, 0, nullptr);
        gcDrawable = drawable;
    }
    XPutImage(display, drawable, gc, image, left, top, left, top, unsigned(right - left),
              unsigned(bottom - top));
}

}  // namespace x11
}  // namespace gui_platform
