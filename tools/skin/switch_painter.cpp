// A push button with a lamp: raised and dark when off, pressed in and lit when on.
#include "tools/skin/switch_painter.h"

#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"

namespace {

void paintSwitchState(SkinCanvas& canvas, int originY, bool on) {
    const SkinBox area{0, originY, kSwitchWidth, originY + kSwitchHeight};
    // The body spans rows 2-21: the editor paints a label over the top two rows.
    const double left = 3.5, top = originY + 3.0, right = 32.5, bottom = originY + 20.5;
    // Both states cast the same shadow: a keyed redraw leaves the pixels it keys untouched,
    // so a shadow only one state had would linger after switching.
    const double lift = 0.6;

    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, left + lift, top + lift, right + lift, bottom + lift, 3.5);
        },
        skin_palette::kShadow, 0.45, 1.2, area);
    // Bezel, then the cap with its edges lit from the top left (dimmer when pressed).
    canvas.fillShape([&](double x, double y) { return roundedRectDistance(x, y, left, top, right, bottom, 3.5); },
                     rgb(40, 43, 48), 1.0, 1.0, area);
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, left + 1, top + 1, right - 1.6, bottom - 1.6, 2.6);
        },
        on ? rgb(150, 155, 162) : rgb(226, 230, 234), 1.0, 1.0, area);
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, left + 1.8, top + 1.8, right - 1, bottom - 1, 2.6);
        },
        on ? rgb(132, 137, 144) : rgb(92, 97, 104), 1.0, 1.0, area);
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, left + 1.8, top + 1.8, right - 1.8, bottom - 1.8, 2.2);
        },
        [&](double, double y) {
            const double t = (y - top) / (bottom - top);
            return on ? mixColor(rgb(140, 145, 152), rgb(168, 173, 180), t)
                      : mixColor(rgb(200, 205, 211), rgb(160, 165, 172), t);
        },
        1.0, 1.0, area);
    // The lamp: a recessed slot, glowing amber when on.
    const double lampLeft = 11.0, lampRight = 25.0;
    const double lampTop = originY + 10.0, lampBottom = originY + 14.5;
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, lampLeft - 1, lampTop - 1, lampRight + 1, lampBottom + 1, 2.4);
        },
        rgb(30, 30, 32), 1.0, 1.0, area);
    if (on) {
        canvas.fillShape(
            [&](double x, double y) {
                return roundedRectDistance(x, y, lampLeft, lampTop, lampRight, lampBottom, 1.8);
            },
            skin_palette::kLedOn, 0.45, 5.0, area);
    }
    canvas.fillShape(
        [&](double x, double y) { return roundedRectDistance(x, y, lampLeft, lampTop, lampRight, lampBottom, 1.6); },
        on ? skin_palette::kLedOn : skin_palette::kLedOff, 1.0, 1.0, area);
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, lampLeft + 1.5, lampTop + 0.6, lampRight - 1.5, lampTop + 1.8, 0.6);
        },
        rgb(255, 255, 255), on ? 0.55 : 0.18, 1.0, area);
}

}  // namespace

SkinCanvas paintSwitch() {
    SkinCanvas image(kSwitchWidth, kSwitchHeight * 2, skin_palette::kSurface);
    paintSwitchState(image, 0, false);
    paintSwitchState(image, kSwitchHeight, true);
    image.keyUntouched(skin_palette::kSurface, skin_palette::kKey);
    return image;
}
