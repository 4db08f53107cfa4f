// The four knob strips: 56 frames of 32 x 32, the pointer sweeping 270 degrees clockwise.
#pragma once

#include "tools/skin/skin_canvas.h"

// kind 0-3 selects the cap style of strips 104-107; the canvas is 32 x 1792, yellow-keyed.
SkinCanvas paintKnobStrip(int kind);

// One frame drawn over `background` (a 32 x 32 canvas) without keying, for the help view.
void paintKnobFrame(SkinCanvas& canvas, int originY, int kind, int frame);
