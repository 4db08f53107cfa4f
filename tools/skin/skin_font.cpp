// Glyph coverage comes from stb_truetype; kerning and sub-pixel pen positions keep spacing even.
#include "tools/skin/skin_font.h"

#include <cmath>
#include <fstream>
#include <iterator>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#pragma GCC diagnostic pop

namespace {
const stbtt_fontinfo* fontInfo(const void* info) { return static_cast<const stbtt_fontinfo*>(info); }
}  // namespace

SkinFont::SkinFont(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    data_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (data_.empty()) return;
    auto* info = new stbtt_fontinfo;
    if (stbtt_InitFont(info, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0))) {
        info_ = info;
    } else {
        delete info;
    }
}

SkinFont::~SkinFont() { delete static_cast<stbtt_fontinfo*>(info_); }

float SkinFont::scale(double emPixels) const {
    return stbtt_ScaleForMappingEmToPixels(fontInfo(info_), float(emPixels));
}

double SkinFont::ascent(double emPixels) const {
    if (!info_) return 0.0;
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(fontInfo(info_), &ascent, &descent, &gap);
    return ascent * double(scale(emPixels));
}

double SkinFont::descent(double emPixels) const {
    if (!info_) return 0.0;
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(fontInfo(info_), &ascent, &descent, &gap);
    return descent * double(scale(emPixels));
}

double SkinFont::textWidth(const std::string& text, double emPixels, double tracking) const {
    if (!info_ || text.empty()) return 0.0;
    const float s = scale(emPixels);
    double width = 0.0;
    for (size_t i = 0; i < text.size(); ++i) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(fontInfo(info_), (unsigned char)text[i], &advance, &bearing);
        width += advance * double(s);
        if (i + 1 < text.size()) {
            width +=
                stbtt_GetCodepointKernAdvance(fontInfo(info_), (unsigned char)text[i], (unsigned char)text[i + 1]) *
                double(s);
            width += tracking;
        }
    }
    return width;
}

void SkinFont::drawText(SkinCanvas& canvas, const std::string& text, double x, double baselineY, double emPixels,
                        SkinColor color, double tracking) const {
    if (!info_) return;
    const float s = scale(emPixels);
    const int baseline = int(std::floor(baselineY + 0.5));
    double pen = x;
    std::vector<unsigned char> glyph;
    for (size_t i = 0; i < text.size(); ++i) {
        const int codepoint = (unsigned char)text[i];
        const int penWhole = int(std::floor(pen));
        const float shift = float(pen - penWhole);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBoxSubpixel(fontInfo(info_), codepoint, s, s, shift, 0.0f, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            glyph.assign(size_t(w) * h, 0);
            stbtt_MakeCodepointBitmapSubpixel(fontInfo(info_), glyph.data(), w, h, w, s, s, shift, 0.0f, codepoint);
            for (int gy = 0; gy < h; ++gy)
                for (int gx = 0; gx < w; ++gx)
                    canvas.blendPixel(penWhole + x0 + gx, baseline + y0 + gy, color,
                                      glyph[size_t(gy) * w + gx] / 255.0);
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(fontInfo(info_), codepoint, &advance, &bearing);
        pen += advance * double(s);
        if (i + 1 < text.size()) {
            pen += stbtt_GetCodepointKernAdvance(fontInfo(info_), codepoint, (unsigned char)text[i + 1]) * double(s);
            pen += tracking;
        }
    }
}

void SkinFont::drawCentred(SkinCanvas& canvas, const std::string& text, SkinBox box, double emPixels, SkinColor color,
                           double tracking) const {
    const double width = textWidth(text, emPixels, tracking);
    const double cellHeight = ascent(emPixels) - descent(emPixels);
    // Whole-pixel placement keeps small text crisp.
    const double x = std::floor(box.left + (box.right - box.left - width) * 0.5 + 0.5);
    const double top = std::floor(box.top + (box.bottom - box.top - cellHeight) * 0.5 + 0.5);
    drawText(canvas, text, x, top + std::floor(ascent(emPixels) + 0.5), emPixels, color, tracking);
}
