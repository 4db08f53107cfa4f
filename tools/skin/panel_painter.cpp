// Plates are raised and lit from the top left; read-outs sit in dark windows so the
// editor's cyan text reads on them, while labels print black straight onto the plates.
#include "tools/skin/panel_painter.h"

#include <cmath>
#include <cstdint>

#include "tools/skin/panel_layout.h"
#include "tools/skin/skin_fonts.h"
#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"
#include "tools/skin/voice_indicator_painter.h"

namespace {

constexpr double kTitlePixels = 9.0;
constexpr double kTitleTracking = 0.9;
constexpr double kLegendPixels = 10.0;  // the editor's label size
constexpr double kKnobTickRadius = 12.6;

// A faint brushed grain on the chassis; a hash, so every run gives the same pixels.
double grain(int x, int y) {
    uint32_t h = uint32_t(y) * 2654435761u ^ uint32_t(x / 7) * 40503u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return (h & 0xff) / 255.0 - 0.5;
}

void paintChassis(SkinCanvas& canvas) {
    for (int y = 0; y < kPanelHeight; ++y)
        for (int x = 0; x < kPanelWidth; ++x)
            canvas.setPixel(x, y, scaleColor(skin_palette::kChassis, 1.0 + 0.06 * grain(x, y)));
}

void paintPlate(SkinCanvas& canvas, SkinBox b) {
    const double l = b.left, t = b.top, r = b.right, bt = b.bottom;
    const SkinBox area{b.left - 1, b.top - 1, b.right + 1, b.bottom + 1};
    auto rounded = [](double l, double t, double r, double b) {
        return [=](double x, double y) { return roundedRectDistance(x, y, l, t, r, b, 3.0); };
    };
    canvas.fillShape(rounded(l, t, r, bt), skin_palette::kPlateShadow, 1.0, 1.0, area);
    canvas.fillShape(rounded(l, t, r - 1, bt - 1), skin_palette::kPlateHighlight, 1.0, 1.0, area);
    canvas.fillShape(rounded(l + 1, t + 1, r - 1, bt - 1), skin_palette::kSurface, 1.0, 1.0, area);
}

void paintGroove(SkinCanvas& canvas, const PanelGroove& g) {
    canvas.fillRect(g.x0, g.y, g.x1, g.y + 1, skin_palette::kGrooveDark);
    canvas.fillRect(g.x0 + 1, g.y + 1, g.x1, g.y + 2, skin_palette::kGrooveLight);
}

// The read-out rectangle itself is the dark window; a light line below and to the right
// sets it into the plate.
void paintValueWindow(SkinCanvas& canvas, SkinBox b) {
    canvas.fillRect(b.left, b.top, b.right, b.bottom, skin_palette::kWindow);
    canvas.fillRect(b.left, b.top, b.right, b.top + 1, skin_palette::kWindowShade);
    canvas.fillRect(b.left, b.top, b.left + 1, b.bottom, skin_palette::kWindowShade);
    canvas.fillRect(b.left, b.bottom, b.right + 1, b.bottom + 1, skin_palette::kPlateHighlight);
    canvas.fillRect(b.right, b.top, b.right + 1, b.bottom, skin_palette::kPlateHighlight);
}

// Dots at both ends of a knob's sweep, just outside its face.
void paintKnobTicks(SkinCanvas& canvas, const SkinControl& c) {
    for (double degrees : {kKnobStartDegrees, kKnobStartDegrees - kKnobSweepDegrees}) {
        const double radians = degrees * 3.14159265358979323846 / 180.0;
        const double x = c.x + std::cos(radians) * kKnobTickRadius;
        const double y = c.y - std::sin(radians) * kKnobTickRadius;
        canvas.fillShape([&](double px, double py) { return circleDistance(px, py, x, y, 1.05); }, skin_palette::kTick,
                         1.0, 1.0, {int(x) - 3, int(y) - 3, int(x) + 4, int(y) + 4});
    }
}

// The plate under the invisible help button: a key printed with the word Help.
void paintHelpKey(SkinCanvas& canvas, const SkinFonts& fonts) {
    const SkinBox b = kHelpButtonBox;
    const double l = b.left + 2, t = b.top + 3, r = b.right - 2, bt = b.bottom - 3;
    const SkinBox area{b.left, b.top, b.right, b.bottom};
    canvas.fillShape([&](double x, double y) { return roundedRectDistance(x, y, l + 1, t + 1.2, r + 1, bt + 1.2, 4); },
                     skin_palette::kShadow, 0.4, 2.0, area);
    canvas.fillShape([&](double x, double y) { return roundedRectDistance(x, y, l, t, r, bt, 4); }, rgb(40, 43, 48),
                     1.0, 1.0, area);
    canvas.fillShape([&](double x, double y) { return roundedRectDistance(x, y, l + 1, t + 1, r - 1.6, bt - 1.6, 3); },
                     rgb(236, 239, 242), 1.0, 1.0, area);
    canvas.fillShape([&](double x, double y) { return roundedRectDistance(x, y, l + 1.8, t + 1.8, r - 1, bt - 1, 3); },
                     rgb(96, 101, 108), 1.0, 1.0, area);
    canvas.fillShape(
        [&](double x, double y) { return roundedRectDistance(x, y, l + 1.8, t + 1.8, r - 1.8, bt - 1.8, 2.5); },
        [&](double, double y) { return mixColor(rgb(206, 211, 216), rgb(168, 173, 180), (y - t) / (bt - t)); }, 1.0,
        1.0, area);
    fonts.bold.drawCentred(canvas, "Help", {b.left, b.top + 1, b.right, b.bottom - 1}, 12.0, rgb(24, 28, 34));
}

void paintBrand(SkinCanvas& canvas, const SkinFonts& fonts) {
    fonts.boldItalic.drawCentred(canvas, "Zelvik", kLogoBox, 23.0, rgb(34, 40, 48));
    fonts.regular.drawCentred(canvas, "synthesizer", kLogoLineBox, 9.0, rgb(60, 68, 78), 0.6);
    fonts.bold.drawCentred(canvas, "QUILLFERN", kVendorBox, 8.0, rgb(60, 68, 78), 0.3);
}

}  // namespace

SkinCanvas paintPanel(const SkinFonts& fonts) {
    SkinCanvas panel(kPanelWidth, kPanelHeight, skin_palette::kChassis);
    paintChassis(panel);
    const PanelLayout& layout = panelLayout();
    for (const PanelSection& section : layout.sections) paintPlate(panel, section.plate);
    for (const PanelGroove& groove : layout.grooves) paintGroove(panel, groove);
    for (const SkinControl& control : kSynthLayout) {
        if (control.kind != kSwitchKind) paintKnobTicks(panel, control);
        if (control.hasValueDisplay) paintValueWindow(panel, valueBox(control));
    }
    for (const PanelText& text : layout.texts) {
        if (text.isTitle)
            fonts.bold.drawCentred(panel, text.text, text.box, kTitlePixels, skin_palette::kTitle, kTitleTracking);
        else
            fonts.regular.drawCentred(panel, text.text, text.box, kLegendPixels, skin_palette::kLegend);
    }
    // The editor paints the indicator over this; showing its empty frame keeps the panel whole.
    const SkinCanvas indicator = paintVoiceIndicator(fonts.bold);
    panel.blit(indicator, 0, 0, kVoiceFrameSize, kVoiceFrameSize, kVoiceIndicatorBox.left, kVoiceIndicatorBox.top);
    paintHelpKey(panel, fonts);
    paintBrand(panel, fonts);
    return panel;
}
