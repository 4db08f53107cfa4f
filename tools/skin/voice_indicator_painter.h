// The voice indicator strip: 17 frames of 40 x 40 showing 0 to 16 sounding voices.
#pragma once

#include "tools/skin/skin_canvas.h"

class SkinFont;

SkinCanvas paintVoiceIndicator(const SkinFont& digits);
