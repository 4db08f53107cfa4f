// PNG output through stb_image_write.
#include "gui/platform/memory/png_writer.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace gui_platform {

bool writePng(const Image& image, const std::string& path) {
    if (image.empty()) return false;
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(),
                          image.width * 3) != 0;
}

}  // namespace gui_platform
