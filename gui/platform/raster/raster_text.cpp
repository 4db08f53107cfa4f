// One line of text on the software surface, from the baked glyphs.
#include <algorithm>

#include "gui/platform/raster/glyph_cache.h"
#include "gui/platform/raster/raster_device.h"

namespace gui_platform {
namespace raster {
namespace {

// Coverage of a glyph at (x, y) of its (possibly widened) box; synthetic bold is the glyph
// over itself moved one pixel right.
int32_t glyphCoverage(const Glyph& g, int32_t x, int32_t y, bool bold) {
    auto at = [&](int32_t gx) -> int32_t {
        return gx >= 0 && gx < g.width ? g.coverage[y * g.width + gx] : 0;
    };
    return bold ? std::max(at(x), at(x - 1)) : at(x);
}

// Rows above the baseline lean right, a quarter pixel per row.
int32_t italicShift(int32_t rowsAboveBaseline) {
    return rowsAboveBaseline >= 0 ? rowsAboveBaseline / 4 : -((-rowsAboveBaseline + 3) / 4);
}

uint8_t blend(uint8_t under, uint8_t over, int32_t alpha) {
    return uint8_t((under * (255 - alpha) + over * alpha + 127) / 255);
}

int32_t advanceOf(const FontChoice& choice, unsigned char code) {
    const Glyph& g = choice.font->glyphs[code];
    if (!g.present) return 0;
    return g.advance + (choice.syntheticBold ? 1 : 0);
}

}  // namespace

int32_t RasterDevice::textWidth(const char* text, const FontRequest& font) {
    const FontChoice choice = chooseFont(font);
    if (!text || !choice.font) return 0;
    int32_t width = 0;
    for (const char* c = text; *c; ++c) width += advanceOf(choice, static_cast<unsigned char>(*c));
    return width;
}

void RasterDevice::drawText(const char* text, const GuiRect& box, const FontRequest& font,
                            const TextStyle& style) {
    const FontChoice choice = chooseFont(font);
    if (!text || !choice.font) return;
    const DecodedFont& face = *choice.font;
    const GuiRect area = intersectRects(box, clip);
    if (area.right <= area.left || area.bottom <= area.top) return;

    const int32_t width = textWidth(text, font);
    const int32_t lineHeight = face.ascent + face.descent;
    int32_t x = box.left;
    if (style.align == alignCenter) x = box.left + (box.width() - width) / 2;
    if (style.align == alignRight) x = box.right - width;
    const int32_t top = box.top + (box.height() - lineHeight) / 2;
    const int32_t baseline = top + face.ascent;

    if (style.opaque)
        fillRect(intersectRects(GuiRect{x, top, x + width, top + lineHeight}, area),
                 style.background);

    const GuiColor ink = style.color;
    for (const char* c = text; *c; ++c) {
        const Glyph& g = face.glyphs[static_cast<unsigned char>(*c)];
        const int32_t boxWidth = g.width + (choice.syntheticBold ? 1 : 0);
        for (int32_t row = 0; row < g.height && g.width > 0; ++row) {
            const int32_t py = baseline + g.top + row;
            if (py < area.top || py >= area.bottom) continue;
            const int32_t shift = choice.italic ? italicShift(-(g.top + row)) : 0;
            for (int32_t col = 0; col < boxWidth; ++col) {
                const int32_t px = x + g.left + col + shift;
                if (px < area.left || px >= area.right) continue;
                const int32_t alpha = glyphCoverage(g, col, row, choice.syntheticBold);
                if (alpha == 0) continue;
                uint8_t* p = &target.rgb[(size_t(py) * size_t(target.width) + size_t(px)) * 3];
                p[0] = blend(p[0], ink.red, alpha);
                p[1] = blend(p[1], ink.green, alpha);
                p[2] = blend(p[2], ink.blue, alpha);
            }
        }
        x += advanceOf(choice, static_cast<unsigned char>(*c));
    }

    if (choice.underline) {
        const int32_t thickness = std::max(1, face.size / 14);
        const int32_t y = baseline + std::max(1, face.descent / 2);
        const int32_t start = x - width;
        fillRect(intersectRects(GuiRect{start, y, x, y + thickness}, area), ink);
    }
}

}  // namespace raster
}  // namespace gui_platform
