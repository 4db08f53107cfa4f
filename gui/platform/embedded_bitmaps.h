// The skin bitmaps compiled into the binary, for back ends without module resources.
#pragma once

#include <cstdint>

#include "gui/platform/image.h"

namespace gui_platform {

// The embedded bitmap with this resource number (low 16 bits), parsed; false when the
// binary carries no such bitmap.
bool loadEmbeddedBitmap(int32_t resourceId, Image& out);

}  // namespace gui_platform
