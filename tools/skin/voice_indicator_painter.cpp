// Each frame is a small display: the count in figures above a 4 x 4 field of lamps.
#include "tools/skin/voice_indicator_painter.h"

#include <string>

#include "tools/skin/skin_font.h"
#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"

namespace {

void paintFrame(SkinCanvas& canvas, int originY, int voices, const SkinFont& digits) {
    const int size = kVoiceFrameSize;
    const SkinBox area{0, originY, size, originY + size};
    // A window set into the plate: shade on the top and left inner edges, light below.
    canvas.fillRect(0, originY, size, originY + size, skin_palette::kSurface);
    canvas.fillRect(0, originY, size, originY + 1, skin_palette::kPlateShadow);
    canvas.fillRect(0, originY, 1, originY + size, skin_palette::kPlateShadow);
    canvas.fillRect(1, originY + size - 1, size, originY + size, skin_palette::kPlateHighlight);
    canvas.fillRect(size - 1, originY + 1, size, originY + size, skin_palette::kPlateHighlight);
    canvas.fillRect(1, originY + 1, size - 1, originY + size - 1, skin_palette::kWindowShade);
    canvas.fillRect(2, originY + 2, size - 1, originY + size - 1, skin_palette::kWindow);

    digits.drawCentred(canvas, std::to_string(voices), {2, originY + 2, size - 1, originY + 15}, 12.0,
                       mixColor(skin_palette::kReadout, rgb(255, 255, 255), 0.15));

    // Lamps light in reading order, one per sounding voice.
    for (int i = 0; i < 16; ++i) {
        const double left = 5.0 + (i % 4) * 8.0, top = originY + 17.0 + (i / 4) * 5.5;
        const bool lit = i < voices;
        if (lit) {
            canvas.fillShape(
                [&](double x, double y) { return roundedRectDistance(x, y, left, top, left + 6, top + 3.5, 1.2); },
                skin_palette::kLedOn, 0.3, 3.0, area);
        }
        canvas.fillShape(
            [&](double x, double y) { return roundedRectDistance(x, y, left, top, left + 6, top + 3.5, 1.2); },
            lit ? skin_palette::kLedOn : skin_palette::kLedOff, 1.0, 1.0, area);
    }
}

}  // namespace

SkinCanvas paintVoiceIndicator(const SkinFont& digits) {
    SkinCanvas strip(kVoiceFrameSize, kVoiceFrameSize * kVoiceFrames, skin_palette::kWindow);
    for (int voices = 0; voices < kVoiceFrames; ++voices) paintFrame(strip, voices * kVoiceFrameSize, voices, digits);
    return strip;
}
