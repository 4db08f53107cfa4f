// The three faces the skin prints with, loaded from one font folder.
#pragma once

#include <string>

#include "tools/skin/skin_font.h"

struct SkinFonts {
    explicit SkinFonts(const std::string& folder)
        : regular(folder + "/LiberationSans-Regular.ttf"),
          bold(folder + "/LiberationSans-Bold.ttf"),
          boldItalic(folder + "/LiberationSans-BoldItalic.ttf") {}

    bool loaded() const { return regular.loaded() && bold.loaded() && boldItalic.loaded(); }

    SkinFont regular;  // the editor's labels are this face at 10 pixels
    SkinFont bold;
    SkinFont boldItalic;
};
