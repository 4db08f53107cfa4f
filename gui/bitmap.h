// GuiBitmap: a skin image by resource number, shared by reference count, drawn plain or with
// one colour left out.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/gui_types.h"
#include "gui/platform/image.h"

class GuiDrawContext;

// User-interface thread only; the reference count is a plain integer.
class GuiBitmap {
public:
    // Loads resource (resourceId & 0xFFFF); a missing resource gives a 0 x 0 bitmap that draws
    // nothing. The new bitmap holds one reference, its creator's.
    explicit GuiBitmap(int32_t resourceId);

    GuiBitmap(const GuiBitmap&) = delete;
    GuiBitmap& operator=(const GuiBitmap&) = delete;

    void addReference() { ++referenceCount; }
    // Drops one reference and destroys the bitmap at 0; returns the count left. At 0 or
    // below nothing happens.
    int32_t dropReference();
    int32_t getReferenceCount() const { return referenceCount; }

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    // Must come before the first drawTransparent: the mask is built once and kept.
    void setTransparentColor(GuiColor color) { transparentColor = color; }
    GuiColor getTransparentColor() const { return transparentColor; }

    // Copies the block of r's size at offset of the image to r (moved by the context offset).
    // Only the part of the block inside the image is copied.
    void draw(GuiDrawContext* context, const GuiRect& r, const GuiPoint& offset);
    // The same, leaving the destination as it is where the image shows the transparent colour.
    void drawTransparent(GuiDrawContext* context, const GuiRect& r, const GuiPoint& offset);

    // Bitmaps alive in the process, for leak checks.
    static int32_t liveCount();

private:
    ~GuiBitmap();
    friend class GuiBitmapTestAccess;

    int32_t resourceId;
    int32_t referenceCount = 1;
    int32_t width = 0;
    int32_t height = 0;
    GuiColor transparentColor = colorTransparentDefault;
    std::unique_ptr<gui_platform::Image> image;
    std::unique_ptr<gui_platform::Mask> mask;
};
