// Modal windows of the X11 back end: the help picture and messages.
#pragma once

#include <cstdint>

#include "gui/platform/image.h"

namespace gui_platform {
namespace x11 {

class X11Window;

struct ModalWindowSetup {
    const Image* picture = nullptr;
    const char* title = "";
    // Where on the screen the top-left corner goes.
    GuiPoint origin;
    // Clicks close the window only inside this area (right and bottom exclusive); an empty area
    // lets any click close it.
    GuiRect closeArea;
    // Any key closes it (the picture), or only Return, Escape and space (a message).
    bool anyKeyCloses = true;
};

// Shows a window transient for the host's window and serves it until the user dismisses it;
// meanwhile the editor's window keeps being painted but takes no press. Runs on the owner's
// connection (or a connection of its own without an owner). 0 once shown and dismissed, else
// an X error code (1 when there is no X server at all).
uint32_t runModalWindow(X11Window* owner, const ModalWindowSetup& setup);

}  // namespace x11
}  // namespace gui_platform
