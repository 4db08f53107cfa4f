// Reads the skin's image files: 24-bit uncompressed BMP.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gui/platform/image.h"

namespace gui_platform {
namespace raster {

// Parses a BMP file held in bytes (24 bits per pixel, uncompressed, rows bottom-up or top-down,
// each row padded to 4 bytes). False, with out left empty, for anything else or a file that is
// shorter than its header claims; never reads outside bytes.
bool readBmp(const uint8_t* bytes, size_t size, Image& out);

}  // namespace raster
}  // namespace gui_platform
