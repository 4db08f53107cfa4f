// Draws in the editor's own order: controls keyed over the panel, then labels over them.
#include "tools/skin/editor_view.h"

#include <cmath>

#include "tools/skin/skin_fonts.h"
#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"

SkinCanvas composeEditorView(const SkinImages& images, const SkinFonts& fonts) {
    SkinCanvas view(kPanelWidth, kPanelHeight, skin_palette::kChassis);
    view.blit(images.panel, 0, 0, kPanelWidth, kPanelHeight, 0, 0);
    for (const SkinControl& c : kSynthLayout) {
        const SkinBox box = controlBox(c);
        if (c.kind == kSwitchKind) {
            const int offset = kParameterDefaults[c.parameterIndex] > 0.5f ? kSwitchHeight : 0;
            view.blit(images.switchImage, 0, offset, kSwitchWidth, kSwitchHeight, box.left, box.top,
                      &skin_palette::kKey);
        } else {
            const int frame = int(std::floor(kParameterDefaults[c.parameterIndex] * (kKnobPositions - 1)));
            view.blit(images.knobStrips[c.kind], 0, frame * kKnobSize, kKnobSize, kKnobSize, box.left, box.top,
                      &skin_palette::kKey);
        }
        if (c.hasLabel) {
            const SkinBox label = labelBox(c);
            view.blit(images.panel, label.left, label.top, label.right - label.left, label.bottom - label.top,
                      label.left, label.top);
            fonts.regular.drawCentred(view, c.labelText, label, 10.0, rgb(0, 0, 0));
        }
        if (c.hasValueDisplay) {
            const SkinBox value = valueBox(c);
            view.blit(images.panel, value.left, value.top, value.right - value.left, value.bottom - value.top,
                      value.left, value.top);
        }
    }
    view.blit(images.voiceStrip, 0, 0, kVoiceFrameSize, kVoiceFrameSize, kVoiceIndicatorBox.left,
              kVoiceIndicatorBox.top);
    return view;
}
