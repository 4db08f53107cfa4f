// The switch image: 36 x 48, off above, on below, yellow-keyed around the button.
#pragma once

#include "tools/skin/skin_canvas.h"

SkinCanvas paintSwitch();
