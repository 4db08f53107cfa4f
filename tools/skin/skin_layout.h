// Where the editor puts every control, label and read-out on the 600 x 250 panel.
#pragma once

#include "editor/synth_layout.h"
#include "tools/skin/skin_canvas.h"

constexpr int kPanelWidth = kSynthPanelWidth;
constexpr int kPanelHeight = kSynthPanelHeight;
constexpr int kSwitchKind = kSynthLayoutSwitch;  // kinds 0-3 are knobs using strips 104-107

// The panel is drawn around the editor's own control table, so the two cannot drift apart.
using SkinControl = SynthLayoutRow;

// Rectangles the editor draws into (right and bottom excluded).
SkinBox controlBox(const SkinControl& control);  // the knob or switch image
SkinBox labelBox(const SkinControl& control);
SkinBox valueBox(const SkinControl& control);
// What a control really paints: the knob face and its shadow, or the switch body.
SkinBox controlFaceBox(const SkinControl& control);

constexpr SkinBox skinBox(const SynthLayoutBox& box) { return {box.left, box.top, box.right, box.bottom}; }
constexpr SkinBox kVoiceIndicatorBox = skinBox(kSynthVoiceIndicatorBox);
constexpr SkinBox kHelpButtonBox = skinBox(kSynthHelpButtonBox);

// Knob images: 32 x 32 frames, 55 shown positions sweeping 270 degrees clockwise.
constexpr int kKnobSize = kSynthKnobSize;
constexpr int kKnobFrames = 56;
constexpr int kKnobPositions = kSynthKnobPositions;
constexpr double kKnobStartDegrees = 225.0;  // value 0, lower left
constexpr double kKnobSweepDegrees = 270.0;  // clockwise to the lower right
// The face stays inside this radius (shadow included) so that a label above and a
// read-out below, which the editor paints over the image's top and bottom rows, never
// cut into it.
constexpr double kKnobFaceRadius = 10.5;
double knobAngleDegrees(int frame);  // pointer direction, counter-clockwise from east

constexpr int kSwitchWidth = kSynthSwitchWidth;
constexpr int kSwitchHeight = kSynthSwitchHeight;
constexpr int kVoiceFrameSize = kSynthVoiceFrameSize;
constexpr int kVoiceFrames = kSynthVoiceFrames;
