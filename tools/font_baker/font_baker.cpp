// Build tool: renders the toolkit's faces with stb_truetype into the C++ glyph tables of
// font_tables.cpp, so the plug-in carries its fonts and needs no font at run time.
// Usage: zelvik-font-baker <sans.ttf> <sans-bold.ttf> <symbol.ttf> <output.cpp>
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#pragma GCC diagnostic pop

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gui/platform/raster/font_tables.h"

namespace {

// Em heights baked; other sizes draw with the nearest of these.
const int kSizes[] = {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 24};

using gui_platform::raster::kAlphabet;
using gui_platform::raster::kBlankRunSymbol;
using gui_platform::raster::kCoverageLevels;
using gui_platform::raster::kLongestBlankRun;
using gui_platform::raster::kMetricBias;

// Windows ANSI code page 1252: codes 128..159 (0 = unassigned); the rest map to themselves.
const int kAnsiHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                           0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ansiToUnicode(int code) {
    if (code >= 128 && code < 160) return kAnsiHigh[code - 128];
    return code;
}

// The symbol font's code page: Greek letters on the Latin ones, mathematical signs in the
// upper half; codes not listed are unassigned except printable ASCII, which maps to itself.
int symbolToUnicode(int code) {
    static const int latinUpper[26] = {0x391, 0x392, 0x3A7, 0x394, 0x395, 0x3A6, 0x393, 0x397, 0x399,
                                       0x3D1, 0x39A, 0x39B, 0x39C, 0x39D, 0x39F, 0x3A0, 0x398, 0x3A1,
                                       0x3A3, 0x3A4, 0x3A5, 0x3C2, 0x3A9, 0x39E, 0x3A8, 0x396};
    static const int latinLower[26] = {0x3B1, 0x3B2, 0x3C7, 0x3B4, 0x3B5, 0x3C6, 0x3B3, 0x3B7, 0x3B9,
                                       0x3D5, 0x3BA, 0x3BB, 0x3BC, 0x3BD, 0x3BF, 0x3C0, 0x3B8, 0x3C1,
                                       0x3C3, 0x3C4, 0x3C5, 0x3D6, 0x3C9, 0x3BE, 0x3C8, 0x3B6};
    if (code >= 'A' && code <= 'Z') return latinUpper[code - 'A'];
    if (code >= 'a' && code <= 'z') return latinLower[code - 'a'];
    switch (code) {
        case 0x22: return 0x2200;  // for all
        case 0x24: return 0x2203;  // there exists
        case 0x27: return 0x220B;  // contains as member
        case 0x2A: return 0x2217;  // asterisk operator
        case 0x2D: return 0x2212;  // minus
        case 0x40: return 0x2245;  // approximately equal
        case 0x5C: return 0x2234;  // therefore
        case 0x5E: return 0x22A5;  // perpendicular
        case 0x7E: return 0x223C;  // tilde operator
        case 0xA1: return 0x03D2;
        case 0xA2: return 0x2032;
        case 0xA3: return 0x2264;
        case 0xA5: return 0x221E;
        case 0xA6: return 0x0192;
        case 0xA7: return 0x2663;
        case 0xA8: return 0x2666;
        case 0xA9: return 0x2665;
        case 0xAA: return 0x2660;
        case 0xAC: return 0x2190;
        case 0xAD: return 0x2191;
        case 0xAE: return 0x2192;
        case 0xAF: return 0x2193;
        case 0xB0: return 0x00B0;
        case 0xB1: return 0x00B1;
        case 0xB2: return 0x2033;
        case 0xB3: return 0x2265;
        case 0xB4: return 0x00D7;
        case 0xB5: return 0x221D;
        case 0xB6: return 0x2202;
        case 0xB8: return 0x00F7;
        case 0xB9: return 0x2260;
        case 0xBA: return 0x2261;
        case 0xBB: return 0x2248;
        case 0xBC: return 0x2026;
        case 0xC0: return 0x2135;
        case 0xC4: return 0x2297;
        case 0xC5: return 0x2295;
        case 0xC6: return 0x2205;
        case 0xC7: return 0x2229;
        case 0xC8: return 0x222A;
        case 0xC9: return 0x2283;
        case 0xCC: return 0x2282;
        case 0xCE: return 0x2208;
        case 0xCF: return 0x2209;
        case 0xD1: return 0x2207;
        case 0xD5: return 0x220F;
        case 0xD6: return 0x221A;
        case 0xD7: return 0x22C5;
        case 0xD8: return 0x00AC;
        case 0xD9: return 0x2227;
        case 0xDA: return 0x2228;
        case 0xE5: return 0x2211;
        case 0xF2: return 0x222B;
        default: break;
    }
    if (code < 127) return code;
    return 0;
}

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

struct Face {
    const char* label;
    bool symbolCodes;
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info;
};

// One metric value as its symbol; values outside the encodable span stop the bake.
bool putMetric(std::string& out, int value) {
    const int symbol = value + kMetricBias;
    if (symbol < 0 || symbol >= int(sizeof(kAlphabet) - 1)) return false;
    out += kAlphabet[symbol];
    return true;
}

// Appends a glyph's coverage (0..255 per pixel) in the pair and blank-run symbols.
void putCoverage(std::string& out, const std::vector<unsigned char>& pixels) {
    std::vector<int> levels;
    for (unsigned char p : pixels) levels.push_back((p * (kCoverageLevels - 1) + 127) / 255);
    if (levels.size() % 2) levels.push_back(0);
    int blankPairs = 0;
    auto flushBlanks = [&]() {
        while (blankPairs > 0) {
            if (blankPairs == 1) {
                out += kAlphabet[0];
                blankPairs = 0;
            } else {
                const int run = blankPairs < kLongestBlankRun ? blankPairs : kLongestBlankRun;
                out += kAlphabet[kBlankRunSymbol + run - 2];
                blankPairs -= run;
            }
        }
    };
    for (size_t i = 0; i < levels.size(); i += 2) {
        if (levels[i] == 0 && levels[i + 1] == 0) {
            ++blankPairs;
            continue;
        }
        flushBlanks();
        out += kAlphabet[levels[i] * kCoverageLevels + levels[i + 1]];
    }
    flushBlanks();
}

// Splits a long symbol string into string literal lines.
void writeLiteral(std::ostream& out, const std::string& text) {
    const size_t kLine = 96;
    for (size_t i = 0; i < text.size(); i += kLine) out << "    \"" << text.substr(i, kLine) << "\"\n";
    if (text.empty()) out << "    \"\"\n";
}

// Writes one face at one size; returns its kBakedFonts entry, or "" when a value cannot be
// encoded.
std::string bakeFont(std::ostream& out, Face& face, int faceIndex, int size) {
    const float scale = stbtt_ScaleForMappingEmToPixels(&face.info, float(size));
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&face.info, &ascent, &descent, &lineGap);
    const int pixelAscent = int(std::lround(ascent * scale));
    const int pixelDescent = int(std::lround(-descent * scale));

    const std::string name = "k" + std::string(face.label) + std::to_string(size);
    std::string metrics;
    std::string coverage;
    bool encodable = true;
    for (int code = 32; code < 256; ++code) {
        const int unicode = face.symbolCodes ? symbolToUnicode(code) : ansiToUnicode(code);
        const int glyph = unicode ? stbtt_FindGlyphIndex(&face.info, unicode) : 0;
        const bool present = unicode == 32 || glyph != 0;
        int advance = 0, bearing = 0;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (present) {
            stbtt_GetGlyphHMetrics(&face.info, glyph, &advance, &bearing);
            stbtt_GetGlyphBitmapBox(&face.info, glyph, scale, scale, &x0, &y0, &x1, &y1);
        }
        const int width = x1 > x0 ? x1 - x0 : 0;
        const int height = y1 > y0 ? y1 - y0 : 0;
        std::vector<unsigned char> pixels(size_t(width) * size_t(height));
        if (width && height)
            stbtt_MakeGlyphBitmap(&face.info, pixels.data(), width, height, width, scale, scale, glyph);
        encodable = putMetric(metrics, present ? 1 : 0) && putMetric(metrics, int(std::lround(advance * scale))) &&
                    putMetric(metrics, width ? x0 : 0) && putMetric(metrics, height ? y0 : 0) &&
                    putMetric(metrics, width && height ? width : 0) &&
                    putMetric(metrics, width && height ? height : 0) && encodable;
        if (width && height) putCoverage(coverage, pixels);
    }
    if (!encodable) {
        std::fprintf(stderr, "%s: a metric is outside the encodable span\n", name.c_str());
        return "";
    }
    out << "const char " << name << "Metrics[] =\n";
    writeLiteral(out, metrics);
    out << "    ;\nconst char " << name << "Coverage[] =\n";
    writeLiteral(out, coverage);
    out << "    ;\n\n";
    std::ostringstream entry;
    entry << "    {" << faceIndex << ", " << size << ", " << pixelAscent << ", " << pixelDescent << ", " << name
          << "Metrics, " << name << "Coverage},\n";
    return entry.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s sans.ttf sans-bold.ttf symbol.ttf output.cpp\n", argv[0]);
        return 2;
    }
    Face faces[3] = {{"Sans", false, {}, {}}, {"SansBold", false, {}, {}}, {"Symbol", true, {}, {}}};
    for (int i = 0; i < 3; ++i) {
        if (!readFile(argv[1 + i], faces[i].bytes) ||
            !stbtt_InitFont(&faces[i].info, faces[i].bytes.data(),
                            stbtt_GetFontOffsetForIndex(faces[i].bytes.data(), 0))) {
            std::fprintf(stderr, "cannot read font %s\n", argv[1 + i]);
            return 1;
        }
    }
    std::ostringstream body;
    std::string table;
    for (int i = 0; i < 3; ++i) {
        for (int size : kSizes) {
            const std::string entry = bakeFont(body, faces[i], i, size);
            if (entry.empty()) return 1;
            table += entry;
        }
    }

    std::ofstream out(argv[4], std::ios::binary);
    out << "// Generated by zelvik-font-baker from Liberation Sans (regular, bold) and DejaVu Sans\n"
           "// (symbol face). Do not edit; rebuild the zelvik_font_tables_check target to compare.\n"
           "#include \"gui/platform/raster/font_tables.h\"\n\n"
           "namespace gui_platform {\nnamespace raster {\nnamespace {\n\n"
        << body.str() << "}  // namespace\n\nconst BakedFont kBakedFonts[] = {\n"
        << table << "};\nconst int32_t kBakedFontCount = " << int(sizeof(kSizes) / sizeof(kSizes[0]) * 3)
        << ";\n\n}  // namespace raster\n}  // namespace gui_platform\n";
    return out ? 0 : 1;
}
