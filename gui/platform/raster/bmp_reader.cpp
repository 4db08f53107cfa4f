// BMP parsing: the skin bitmaps, and whatever else claims to be one.
#include "gui/platform/raster/bmp_reader.h"

namespace gui_platform {
namespace raster {
namespace {

uint32_t read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Larger images are taken for damaged files rather than skins.
constexpr int64_t kLargestSide = 16384;

}  // namespace

bool readBmp(const uint8_t* bytes, size_t size, Image& out) {
    out = Image();
    const size_t kFileHeader = 14;
    if (!bytes || size < kFileHeader + 40 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t pixelOffset = read32(bytes + 10);
    const uint8_t* info = bytes + kFileHeader;
    const uint32_t infoSize = read32(info);
    if (infoSize < 40) return false;
    const int64_t width = int32_t(read32(info + 4));
    const int64_t rawHeight = int32_t(read32(info + 8));
    const uint32_t bitsPerPixel = read16(info + 14);
    const uint32_t compression = read32(info + 16);
    if (bitsPerPixel != 24 || compression != 0) return false;
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;

    const uint64_t stride = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    if (pixelOffset > size || uint64_t(size - pixelOffset) < stride * uint64_t(height))
        return false;

    out.resize(int32_t(width), int32_t(height));
    for (int64_t row = 0; row < height; ++row) {
        const int64_t y = topDown ? row : height - 1 - row;
        const uint8_t* from = bytes + pixelOffset + stride * uint64_t(row);
        uint8_t* to = &out.rgb[size_t(y) * size_t(width) * 3];
        for (int64_t x = 0; x < width; ++x, from += 3, to += 3) {
            to[0] = from[2];  // stored blue, green, red
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return true;
}

}  // namespace raster
}  // namespace gui_platform
