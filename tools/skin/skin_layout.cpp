// Rectangles of a control-table row, where the editor places its views.
#include "tools/skin/skin_layout.h"

SkinBox controlBox(const SkinControl& c) { return skinBox(synthControlBox(c)); }

SkinBox labelBox(const SkinControl& c) { return skinBox(synthLabelBox(c)); }

SkinBox valueBox(const SkinControl& c) { return skinBox(synthValueBox(c)); }

SkinBox controlFaceBox(const SkinControl& c) {
    // The switch body keeps two pixels clear at the top, where a label may overlap it.
    if (c.kind == kSwitchKind) return {c.x - 16, c.y - 10, c.x + 16, c.y + 10};
    return {c.x - 11, c.y - 10, c.x + 12, c.y + 11};
}

double knobAngleDegrees(int frame) {
    const int position = frame < kKnobPositions ? frame : kKnobPositions - 1;
    return kKnobStartDegrees - kKnobSweepDegrees * position / (kKnobPositions - 1);
}
