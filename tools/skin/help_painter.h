// The help picture (bitmap 114): the editor, dimmed, with outlined parts and named callouts.
#pragma once

#include "tools/skin/skin_canvas.h"

struct SkinFonts;

SkinCanvas paintHelpPicture(const SkinCanvas& editorView, const SkinFonts& fonts);
