// Decodes the baked glyph tables once and picks the baked font nearest a requested one.
#include "gui/platform/raster/glyph_cache.h"

#include <cstdlib>
#include <memory>

#include "gui/platform/raster/font_tables.h"

namespace gui_platform {
namespace raster {
namespace {

struct SymbolTable {
    int8_t value[128];
    SymbolTable() {
        for (int8_t& v : value) v = -1;
        for (int i = 0; i < kAlphabetSize; ++i) value[uint8_t(kAlphabet[i])] = int8_t(i);
    }
};

int symbolValue(const SymbolTable& table, char c) {
    const uint8_t u = uint8_t(c);
    return u < 128 ? table.value[u] : -1;
}

// Unpacks one baked font; glyph pointers refer into font.pixels, so pixels is sized first.
void decode(const BakedFont& baked, DecodedFont& font) {
    static const SymbolTable table;
    font.face = baked.face;
    font.size = baked.size;
    font.ascent = baked.ascent;
    font.descent = baked.descent;

    size_t total = 0;
    for (int32_t i = 0; i < kGlyphCount; ++i) {
        const char* m = baked.metrics + i * 6;
        int32_t field[6];
        for (int k = 0; k < 6; ++k) field[k] = symbolValue(table, m[k]) - kMetricBias;
        Glyph& g = font.glyphs[kFirstCode + i];
        g.present = field[0] == 1;
        g.advance = field[1];
        g.left = field[2];
        g.top = field[3];
        g.width = field[4];
        g.height = field[5];
        total += size_t(g.width * g.height + 1) & ~size_t(1);
    }
    font.pixels.assign(total, 0);

    const char* c = baked.coverage;
    size_t at = 0;
    for (int32_t i = 0; i < kGlyphCount; ++i) {
        Glyph& g = font.glyphs[kFirstCode + i];
        const size_t count = size_t(g.width * g.height + 1) & ~size_t(1);
        g.coverage = font.pixels.data() + at;
        size_t done = 0;
        while (done < count && *c) {
            const int s = symbolValue(table, *c++);
            if (s < 0) continue;
            if (s >= kBlankRunSymbol) {
                done += size_t(s - kBlankRunSymbol + 2) * 2;  // already zero
                continue;
            }
            const int levels = kCoverageLevels - 1;
            font.pixels[at + done] = uint8_t((s / kCoverageLevels) * 255 / levels);
            font.pixels[at + done + 1] = uint8_t((s % kCoverageLevels) * 255 / levels);
            done += 2;
        }
        at += count;
    }
}

struct FontStore {
    std::unique_ptr<DecodedFont[]> fonts;
    FontStore() : fonts(new DecodedFont[size_t(kBakedFontCount)]) {
        for (int32_t i = 0; i < kBakedFontCount; ++i) decode(kBakedFonts[i], fonts[size_t(i)]);
    }
};

const FontStore& store() {
    static const FontStore instance;
    return instance;
}

}  // namespace

const DecodedFont* findBakedFont(int32_t face, int32_t size) {
    const FontStore& s = store();
    for (int32_t i = 0; i < kBakedFontCount; ++i)
        if (s.fonts[size_t(i)].face == face && s.fonts[size_t(i)].size == size)
            return &s.fonts[size_t(i)];
    return nullptr;
}

FontChoice chooseFont(const FontRequest& request) {
    FontChoice choice;
    const bool symbol = request.id == fontSymbol;
    const int32_t face = symbol ? faceSymbol : (request.bold ? faceSansBold : faceSans);
    choice.syntheticBold = symbol && request.bold;
    choice.italic = request.italic;
    choice.underline = request.underline;

    // A negative size asks for the cell height; the em is about 7/8 of it for these faces.
    int32_t size = request.size >= 0 ? request.size : (-request.size * 7 + 4) / 8;
    if (size == 0) size = 12;

    // Nearest baked size; between two equally near ones the smaller, so text stays inside
    // boxes laid out for the requested size.
    const FontStore& s = store();
    const DecodedFont* best = nullptr;
    for (int32_t i = 0; i < kBakedFontCount; ++i) {
        const DecodedFont& f = s.fonts[size_t(i)];
        if (f.face != face) continue;
        if (!best || std::abs(f.size - size) < std::abs(best->size - size) ||
            (std::abs(f.size - size) == std::abs(best->size - size) && f.size < best->size))
            best = &f;
    }
    choice.font = best;
    return choice;
}

}  // namespace raster
}  // namespace gui_platform
