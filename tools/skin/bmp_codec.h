// 24-bit uncompressed BMP files (bottom-up rows padded to 4 bytes), written and read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // red, green, blue per pixel, top row first

    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

std::vector<uint8_t> encodeBmp24(const RgbImage& image);

// Any 24-bit uncompressed BMP the editor could load; anything else, or a truncated file,
// gives false.
bool decodeBmp24(const uint8_t* bytes, size_t size, RgbImage* image);
