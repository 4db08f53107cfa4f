// The 600 x 250 panel (bitmap 101): section plates around the controls, titles, read-out
// windows and the word Help, placed as panel_layout.h works out.
#pragma once

#include "tools/skin/skin_canvas.h"

struct SkinFonts;

SkinCanvas paintPanel(const SkinFonts& fonts);
