// Knob caps: a shaded skirt, a domed cap and a bold pointer; the light never rotates with
// the knob, only the pointer does, so the value reads from the pointer alone.
#include "tools/skin/knob_painter.h"

#include <algorithm>
#include <cmath>

#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"

namespace {

struct KnobStyle {
    SkinColor skirtLight, skirtDark;  // skirt shading from top left to bottom right
    SkinColor capLight, capDark;
    SkinColor pointer;
    double capRadius;
};

// 104: black with a white line; 105: aluminium with a black line;
// 106: black with an orange line; 107: dark blue-grey with a red line.
const KnobStyle kStyles[4] = {
    {rgb(92, 96, 102), rgb(22, 24, 27), rgb(70, 74, 80), rgb(30, 32, 36), rgb(250, 250, 250), 6.6},
    {rgb(150, 154, 160), rgb(46, 49, 54), rgb(236, 238, 240), rgb(150, 154, 160), rgb(16, 16, 18), 7.2},
    {rgb(92, 96, 102), rgb(22, 24, 27), rgb(70, 74, 80), rgb(30, 32, 36), rgb(255, 150, 30), 6.6},
    {rgb(84, 98, 118), rgb(20, 26, 36), rgb(72, 86, 106), rgb(30, 38, 50), rgb(255, 74, 60), 6.6},
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentre = kKnobSize / 2.0;
constexpr double kSkirtRadius = 9.4;
const double kLightX = -std::sqrt(0.5), kLightY = -std::sqrt(0.5);  // towards the top left

// How much a point faces the light, -1 to 1, from its position relative to the centre.
double facing(double x, double y, double cx, double cy, double radius) {
    return ((x - cx) * kLightX + (y - cy) * kLightY) / radius;
}

void paintKnobFrame(SkinCanvas& canvas, int originY, int kind, int frame) {
    const KnobStyle& style = kStyles[kind];
    const double cx = kCentre, cy = originY + kCentre;
    const SkinBox area{0, originY, kKnobSize, originY + kKnobSize};

    // Soft shadow cast to the bottom right.
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx + 0.6, cy + 0.8, 9.0); },
                     skin_palette::kShadow, 0.42, 2.0, area);
    // Skirt: a cone lit from the top left, with a thin dark rim to sit crisply on the plate.
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx, cy, kSkirtRadius); },
                     scaleColor(style.skirtDark, 0.7), 1.0, 1.0, area);
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx, cy, kSkirtRadius - 0.8); },
                     [&](double x, double y) {
                         const double f = facing(x, y, cx, cy, kSkirtRadius);
                         return mixColor(style.skirtDark, style.skirtLight, 0.5 + 0.5 * f);
                     },
                     1.0, 1.0, area);
    // Cap edge: bright towards the light, dark away from it, then the slightly domed top.
    const double capR = style.capRadius;
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx, cy, capR + 0.7); },
                     [&](double x, double y) {
                         const double f = facing(x, y, cx, cy, capR);
                         return f > 0 ? mixColor(style.capLight, rgb(255, 255, 255), 0.45 * f)
                                      : mixColor(style.capDark, rgb(0, 0, 0), -0.6 * f);
                     },
                     1.0, 1.0, area);
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx, cy, capR - 0.3); },
                     [&](double x, double y) {
                         const double f = facing(x, y, cx, cy, capR);
                         return mixColor(style.capDark, style.capLight, 0.55 + 0.45 * f);
                     },
                     1.0, 1.0, area);
    // A soft highlight where the light strikes the dome.
    canvas.fillShape([&](double x, double y) { return circleDistance(x, y, cx - 2.4, cy - 2.6, 2.2); },
                     rgb(255, 255, 255), 0.22, 2.5, area);

    // Pointer: from near the centre out across the skirt, in the style's contrast colour,
    // with a dark outline so it reads on the skirt as well as on the cap.
    const double radians = knobAngleDegrees(frame) * kPi / 180.0;
    const double dx = std::cos(radians), dy = -std::sin(radians);
    const double inner = 1.8, outer = kSkirtRadius - 1.5;
    const bool darkPointer = style.pointer.r + style.pointer.g + style.pointer.b < 200;
    // Both strokes are clipped to the skirt, so every frame covers exactly the same pixels.
    auto stroke = [&](double halfWidth) {
        return [=](double x, double y) {
            return std::max(
                segmentDistance(x, y, cx + dx * inner, cy + dy * inner, cx + dx * outer, cy + dy * outer, halfWidth),
                circleDistance(x, y, cx, cy, kSkirtRadius - 0.8));
        };
    };
    if (!darkPointer) canvas.fillShape(stroke(1.55), rgb(0, 0, 0), 0.55, 1.0, area);
    canvas.fillShape(stroke(1.0), style.pointer, 1.0, 1.0, area);
}

}  // namespace

SkinCanvas paintKnobStrip(int kind) {
    SkinCanvas strip(kKnobSize, kKnobSize * kKnobFrames, skin_palette::kSurface);
    for (int frame = 0; frame < kKnobFrames; ++frame) paintKnobFrame(strip, frame * kKnobSize, kind, frame);
    // Edges were blended towards the plate colour, so a keyed copy fits the panel seamlessly.
    strip.keyUntouched(skin_palette::kSurface, skin_palette::kKey);
    return strip;
}
