// The BMP reader: any bytes give an image whose pixel array matches its size, or false
// with the image left empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gui/platform/raster/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui_platform::Image image;
    bool read = gui_platform::raster::readBmp(data, size, image);
    if (!read && !image.empty()) std::abort();
    if (read && image.rgb.size() != (size_t)image.width * (size_t)image.height * 3) std::abort();
    return 0;
}
