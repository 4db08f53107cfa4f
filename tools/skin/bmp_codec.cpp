// The file layout is fixed byte by byte here so that the same pixels always give the same file.
#include "tools/skin/bmp_codec.h"

#include <utility>

#include "gui/platform/raster/bmp_reader.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

size_t rowStride(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

}  // namespace

std::vector<uint8_t> encodeBmp24(const RgbImage& image) {
    const size_t stride = rowStride(image.width);
    const size_t pixelBytes = stride * image.height;
    const size_t offset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, uint32_t(offset + pixelBytes));
    put32(out, 0);  // reserved
    put32(out, uint32_t(offset));
    put32(out, kInfoHeaderSize);
    put32(out, uint32_t(image.width));
    put32(out, uint32_t(image.height));  // positive height: bottom row first
    put16(out, 1);                       // planes
    put16(out, 24);                      // bits per pixel
    put32(out, 0);                       // BI_RGB, no compression
    put32(out, uint32_t(pixelBytes));
    put32(out, 2835);  // 72 dots per inch, both ways
    put32(out, 2835);
    put32(out, 0);  // colours used
    put32(out, 0);  // important colours
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            out.push_back(p[2]);  // stored blue, green, red
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        for (size_t pad = size_t(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

bool decodeBmp24(const uint8_t* bytes, size_t size, RgbImage* image) {
    // The rasteriser's reader is the one that decides what a valid file is.
    gui_platform::Image parsed;
    if (!image || !gui_platform::raster::readBmp(bytes, size, parsed)) return false;
    image->width = parsed.width;
    image->height = parsed.height;
    image->rgb = std::move(parsed.rgb);
    return true;
}
