// The baked fonts decoded for drawing, and the choice of baked font for a requested font.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/platform/platform.h"

namespace gui_platform {
namespace raster {

struct Glyph {
    int32_t advance = 0;
    int32_t left = 0;   // bitmap origin relative to pen position and baseline
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool present = false;
    const uint8_t* coverage = nullptr;  // width * height, 0..255
};

struct DecodedFont {
    int32_t face = 0;
    int32_t size = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    Glyph glyphs[256];  // by character code; codes below 32 are absent
    std::vector<uint8_t> pixels;
};

// A requested font resolved to a baked face and size, with what has to be synthesised.
struct FontChoice {
    const DecodedFont* font = nullptr;
    bool syntheticBold = false;  // the face has no bold: glyphs are doubled one pixel right
    bool italic = false;         // slanted by shearing rows
    bool underline = false;
};

// Decodes every baked font on first use (thread-safe), then only looks up.
FontChoice chooseFont(const FontRequest& request);
// The baked font of a face at exactly this size, or null.
const DecodedFont* findBakedFont(int32_t face, int32_t size);

}  // namespace raster
}  // namespace gui_platform
