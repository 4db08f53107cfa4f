// Embedded skin bitmaps, looked up by number and parsed.
#include "gui/platform/embedded_bitmaps.h"

#include "gui/platform/raster/bmp_reader.h"
#include "resources/embedded_resources.h"

namespace gui_platform {

bool loadEmbeddedBitmap(int32_t resourceId, Image& out) {
    size_t size = 0;
    const unsigned char* bytes = findEmbeddedBitmap(resourceId & 0xFFFF, &size);
    if (!bytes) {
        out = Image();
        return false;
    }
    return raster::readBmp(bytes, size, out);
}

}  // namespace gui_platform
