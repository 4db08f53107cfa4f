// The four knob strips: 56 frames of 32 x 32, the pointer sweeping 270 degrees clockwise.
#pragma once

#include "tools/skin/skin_canvas.h"

// kind 0-3 selects the cap style of strips 104-107; the canvas is 32 x 1792, yellow-keyed.
SkinCanvas paintKnobStrip(int kind);
