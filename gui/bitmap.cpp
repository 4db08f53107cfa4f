// GuiBitmap: loading, reference counting and the plain and colour-keyed copies.
#include "gui/bitmap.h"

#include "gui/draw_context.h"
#include "gui/platform/platform.h"

namespace {
int32_t gLiveBitmaps = 0;  // user-interface thread only, like the counts themselves
}

int32_t GuiBitmap::liveCount() { return gLiveBitmaps; }

GuiBitmap::GuiBitmap(int32_t resourceId)
    : resourceId(resourceId), image(gui_platform::loadBitmap(resourceId & 0xFFFF)) {
    ++gLiveBitmaps;
    if (image && !image->empty()) {
        width = image->width;
        height = image->height;
    } else {
        image.reset();
    }
}

GuiBitmap::~GuiBitmap() { --gLiveBitmaps; }

int32_t GuiBitmap::dropReference() {
    if (referenceCount <= 0) return referenceCount;
    if (--referenceCount == 0) {
        delete this;
        return 0;
    }
    return referenceCount;
}

void GuiBitmap::draw(GuiDrawContext* context, const GuiRect& r, const GuiPoint& offset) {
    if (!image || !context || !context->device) return;
    context->device->copyImage(*image, offset, r.width(), r.height(),
                               GuiPoint{r.left + context->offset.h, r.top + context->offset.v});
}

void GuiBitmap::drawTransparent(GuiDrawContext* context, const GuiRect& r,
                                const GuiPoint& offset) {
    if (!image) return;
    // Built once from the colour in force now; a later setTransparentColor does not reach it.
    if (!mask) mask.reset(new gui_platform::Mask(gui_platform::buildColorKeyMask(*image, transparentColor)));
    if (!context || !context->device) return;
    context->device->copyImageKeyed(*image, *mask, offset, r.width(), r.height(),
                                    GuiPoint{r.left + context->offset.h, r.top + context->offset.v});
}
