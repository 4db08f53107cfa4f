// Saves window pixels as PNG files, for tests and the snapshot tool (not for the plug-in).
#pragma once

#include <string>

#include "gui/platform/image.h"

namespace gui_platform {

// True when the file was written.
bool writePng(const Image& image, const std::string& path);

}  // namespace gui_platform
