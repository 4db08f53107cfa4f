// Shows pixels of an Image in an X11 drawable: the conversion to the visual's pixel format.
#pragma once

#include <X11/Xlib.h>

#include "gui/platform/image.h"

namespace gui_platform {
namespace x11 {

// One client-side XImage the size of the drawable, in the drawable's visual and depth, through
// which blocks of an Image are put (XPutImage). TrueColor and DirectColor visuals of any
// depth are served; the skin only ever needs 24-bit colour.
class X11Surface {
public:
    X11Surface(Display* display, Visual* visual, int depth, int width, int height);
    ~X11Surface();
    X11Surface(const X11Surface&) = delete;
    X11Surface& operator=(const X11Surface&) = delete;

    bool valid() const { return image != nullptr; }
    // Copies area (right and bottom exclusive) of source to the same place in drawable.
    void put(::Window drawable, const Image& source, const GuiRect& area);

private:
    unsigned long pixelOf(const uint8_t* rgb) const;

    Display* display;
    XImage* image = nullptr;
    GC gc = nullptr;
    ::Window gcDrawable = 0;
    int width;
    int height;
    // Per channel: where its bits start and how many there are.
    int shift[3] = {0, 0, 0};
    int bits[3] = {0, 0, 0};
    unsigned long opaqueBits = 0;  // alpha of 32-bit visuals, always full
};

}  // namespace x11
}  // namespace gui_platform
