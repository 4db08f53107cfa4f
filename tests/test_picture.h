// Pictures the tests read back from PNG (and BMP) files, and their comparison.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC  // private to each file that includes it
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace test_picture {

// Red, green, blue bytes per pixel, rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    bool sameAt(const Picture& other, int x, int y) const {
        const uint8_t* a = at(x, y);
        const uint8_t* b = other.at(x, y);
        return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    }
};

// An empty picture when the file is missing or not an image.
inline Picture loadPicture(const std::string& path) {
    Picture picture;
    int channels = 0;
    uint8_t* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (!data) return Picture();
    picture.rgb.assign(data, data + size_t(picture.width) * size_t(picture.height) * 3);
    stbi_image_free(data);
    return picture;
}

// Pixels that differ; -1 when the sizes differ or a picture is missing.
inline int differingPixels(const Picture& a, const Picture& b) {
    if (a.rgb.empty() || a.width != b.width || a.height != b.height) return -1;
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) differing += a.sameAt(b, x, y) ? 0 : 1;
    return differing;
}

}  // namespace test_picture
