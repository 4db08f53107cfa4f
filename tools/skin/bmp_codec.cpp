// The file layout is fixed byte by byte here so that the same pixels always give the same file.
#include "tools/skin/bmp_codec.h"

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

uint32_t get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t get32(const uint8_t* p) { return get16(p) | get16(p + 2) << 16; }

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
  if (!bytes || !image || size < kFileHeaderSize + kInfoHeaderSize) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t offset = get32(bytes + 10);
  const uint8_t* info = bytes + kFileHeaderSize;
  const int32_t width = int32_t(get32(info + 4));
  const int32_t height = int32_t(get32(info + 8));
  if (get32(info) != kInfoHeaderSize || get16(info + 12) != 1 || get16(info + 14) != 24 ||
      get32(info + 16) != 0 || width <= 0 || height <= 0 || width > 65535 || height > 65535)
    return false;
  const size_t stride = rowStride(width);
  if (offset > size || size - offset < stride * size_t(height)) return false;
  image->width = width;
  image->height = height;
  image->rgb.assign(size_t(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bytes + offset + stride * size_t(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &image->rgb[(size_t(y) * width + x) * 3];
      p[0] = row[x * 3 + 2];
      p[1] = row[x * 3 + 1];
      p[2] = row[x * 3];
    }
  }
  return true;
}
