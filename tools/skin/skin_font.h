// Text for the skin: TrueType outlines rasterised with stb_truetype onto a SkinCanvas.
#pragma once

#include <string>
#include <vector>

#include "tools/skin/skin_canvas.h"

class SkinFont {
public:
    // Loads a TrueType file; `loaded()` tells whether it worked.
    explicit SkinFont(const std::string& path);
    ~SkinFont();
    SkinFont(const SkinFont&) = delete;
    SkinFont& operator=(const SkinFont&) = delete;

    bool loaded() const { return info_ != nullptr; }

    // Sizes are em heights in pixels, the way a font of "10 pixels" is asked for on Windows.
    double ascent(double emPixels) const;
    double descent(double emPixels) const;  // negative: below the baseline
    double textWidth(const std::string& text, double emPixels, double tracking = 0.0) const;

    // Draws one line starting at `x` on the baseline `baselineY`; `tracking` widens each gap.
    void drawText(SkinCanvas& canvas, const std::string& text, double x, double baselineY, double emPixels,
                  SkinColor color, double tracking = 0.0) const;

    // One line centred in the box both ways, as a single-line centred text field places it.
    void drawCentred(SkinCanvas& canvas, const std::string& text, SkinBox box, double emPixels, SkinColor color,
                     double tracking = 0.0) const;

private:
    float scale(double emPixels) const;

    std::vector<unsigned char> data_;
    void* info_ = nullptr;  // stbtt_fontinfo, kept out of this header
};
