// The editor's control table: one row per parameter with its place on the panel,
// its label and read-out, its control kind and the parameter's default value.
#pragma once

#include <cstdint>

#include "plugin/synth_parameters.h"

// One row per parameter, in parameter order.
constexpr int kSynthLayoutRowCount = kParameterCount;

// Control kinds 0 to 3 are knobs drawn from the strip bitmap 104 + kind.
constexpr int32_t kSynthLayoutSwitch = 4;

struct SynthLayoutRow {
    int32_t parameterIndex;   // equals the row number
    int32_t x;                // centre of the control, pixels from the left of the window
    int32_t y;                // centre of the control, pixels from the top
    bool hasLabel;            // a label above the control
    bool hasValueDisplay;     // a value read-out below the control
    const char* labelText;    // empty for rows without a label
    int32_t dependent;        // 1: the read-out shows the aimed parameter's text
    int32_t kind;             // 0-3 knob strip, 4 switch
};
static_assert(sizeof(bool) == 1, "the table's flags are single bytes");

extern const SynthLayoutRow kSynthLayout[kSynthLayoutRowCount];

// The panel's geometry, shared by the editor and the generator that paints its skin.
struct SynthLayoutBox {
    int32_t left, top, right, bottom;  // right and bottom excluded
};

constexpr int32_t kSynthPanelWidth = 600;
constexpr int32_t kSynthPanelHeight = 250;
// Knob strips: 32 x 32 frames of which 55 are shown; the switch image holds off above on.
constexpr int32_t kSynthKnobSize = 32;
constexpr int32_t kSynthKnobPositions = 55;
constexpr int32_t kSynthSwitchWidth = 36;
constexpr int32_t kSynthSwitchHeight = 24;
// The voice indicator: 17 square frames, none to sixteen voices.
constexpr int32_t kSynthVoiceFrameSize = 40;
constexpr int32_t kSynthVoiceFrames = 17;
constexpr SynthLayoutBox kSynthVoiceIndicatorBox{156, 9, 196, 49};
constexpr SynthLayoutBox kSynthHelpButtonBox{490, 210, 540, 240};

// Where a row's views go, around its centre (x, y).
constexpr SynthLayoutBox synthControlBox(const SynthLayoutRow& row) {
    return row.kind == kSynthLayoutSwitch
               ? SynthLayoutBox{row.x - kSynthSwitchWidth / 2, row.y - kSynthSwitchHeight / 2,
                                row.x + kSynthSwitchWidth / 2, row.y + kSynthSwitchHeight / 2}
               : SynthLayoutBox{row.x - kSynthKnobSize / 2, row.y - kSynthKnobSize / 2,
                                row.x + kSynthKnobSize / 2, row.y + kSynthKnobSize / 2};
}
constexpr SynthLayoutBox synthLabelBox(const SynthLayoutRow& row) {
    return {row.x - 21, row.y - 20, row.x + 21, row.y - 10};
}
constexpr SynthLayoutBox synthValueBox(const SynthLayoutRow& row) {
    return {row.x - 21, row.y + 11, row.x + 21, row.y + 20};
}
