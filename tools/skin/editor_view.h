// The editor as it looks when opened with default values, composed from the skin images.
#pragma once

#include "tools/skin/skin_canvas.h"

struct SkinFonts;

struct SkinImages {
    SkinCanvas panel;
    SkinCanvas knobStrips[4];
    SkinCanvas switchImage;
    SkinCanvas voiceStrip;
};

// Controls at their defaults, labels in black, the indicator showing no voices; the
// read-out windows stay empty since their texts come from the running plug-in.
SkinCanvas composeEditorView(const SkinImages& images, const SkinFonts& fonts);
