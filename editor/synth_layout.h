// The editor's control table: one row per parameter with its place on the panel,
// its label and read-out, its control kind and the parameter's default value.
#pragma once

#include <cstdint>

constexpr int kSynthLayoutRowCount = 63;

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
    float defaultValue;       // the one place parameter defaults are written
};
static_assert(sizeof(bool) == 1, "the table's flags are single bytes");

extern const SynthLayoutRow kSynthLayout[kSynthLayoutRowCount];
