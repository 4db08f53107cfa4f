// Shared helpers of the skin tests: reading the committed bitmaps and measuring colours.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/skin/bmp_codec.h"
#include "tools/skin/skin_bitmaps.h"

namespace resources_test {

inline std::string skinFolder() { return std::string(ZELVIK_SOURCE_DIR) + "/resources/skin"; }

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline const SkinBitmapFile& fileFor(int id) {
    for (const SkinBitmapFile& file : skinBitmapFiles())
        if (file.id == id) return file;
    static const SkinBitmapFile none{0, "", 0, 0};
    return none;
}

inline RgbImage loadCommitted(int id) {
    const std::vector<uint8_t> bytes = readBytes(skinFolder() + "/" + fileFor(id).fileName);
    RgbImage image;
    decodeBmp24(bytes.data(), bytes.size(), &image);
    return image;
}

inline bool isKey(const uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 0; }

// Relative luminance and contrast ratio as used for text legibility (sRGB, 0 to 1).
inline double relativeLuminance(const uint8_t* p) {
    auto linear = [](uint8_t v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(p[0]) + 0.7152 * linear(p[1]) + 0.0722 * linear(p[2]);
}

inline double contrastRatio(const uint8_t* a, const uint8_t* b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace resources_test
