// Layout of the baked glyph tables (font_tables.cpp, written by font_baker).
#pragma once

#include <cstdint>

namespace gui_platform {
namespace raster {

// Faces the tables hold: the sans-serif face regular and bold, and the symbol face.
enum BakedFace : int32_t {
    faceSans = 0,
    faceSansBold = 1,
    faceSymbol = 2,
};

// Character codes 32..255 of the Windows ANSI code page (the symbol face: the symbol font's
// own code page) are baked; kFirstCode is the code of glyph 0.
inline constexpr int32_t kFirstCode = 32;
inline constexpr int32_t kGlyphCount = 224;

// One face at one em height, in two strings of kAlphabet symbols that the baker writes and
// the font cache decodes once per font:
// - metrics: 6 symbols per code (kGlyphCount codes): present, advance, left, top, width,
//   height, each the symbol of value + kMetricBias. left and top place the glyph bitmap
//   relative to the pen position and the baseline (negative top: above the baseline).
// - coverage: the glyph bitmaps in code order, rows top first, each glyph padded to an even
//   pixel count. Symbols 0..63 hold two pixels (first * 8 + second, coverage 0..7); symbol
//   64 + n stands for n + 2 pixel pairs of coverage 0.
struct BakedFont {
    int32_t face;
    int32_t size;
    int32_t ascent;
    int32_t descent;
    const char* metrics;
    const char* coverage;
};

// Printable ASCII without '"', '?' and the backslash, so the tables are plain string literals.
inline constexpr char kAlphabet[] =
    "!#$%&'()*+,-./0123456789:;<=>@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{|}~";
inline constexpr int32_t kAlphabetSize = sizeof(kAlphabet) - 1;  // 91
inline constexpr int32_t kMetricBias = 30;                        // metrics span -30..60
inline constexpr int32_t kCoverageLevels = 8;
inline constexpr int32_t kBlankRunSymbol = 64;
inline constexpr int32_t kLongestBlankRun = kAlphabetSize - kBlankRunSymbol + 1;  // in pairs

extern const BakedFont kBakedFonts[];
extern const int32_t kBakedFontCount;

}  // namespace raster
}  // namespace gui_platform
