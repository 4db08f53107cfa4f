// X11EditField: the toolkit's single-line edit field, a child window drawn by the rasteriser.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "gui/platform/platform.h"
#include "gui/platform/x11/x11_surface.h"

namespace gui_platform {
namespace x11 {

class X11Window;

// X has no native edit control, so the field is ours: a child window of the editor that takes
// the keyboard focus, starts with all of its text selected, edits with the usual keys (arrows,
// Home, End, BackSpace, Delete; Shift extends the selection; typing replaces it) and tells its
// listener about Return and the loss of the focus. Its events come through the owner window's
// serving; the listener may destroy the field inside any of them.
class X11EditField : public EditField {
public:
    X11EditField(X11Window& owner, const EditFieldSetup& setup, EditListener* listener);
    ~X11EditField() override;

    void getText(char* out, int32_t capacity) const override;

    bool isValid() const { return window != 0; }
    ::Window id() const { return window; }
    // Events of the field's window, from the owner.
    void expose();
    void press(const XButtonEvent& event);
    void key(XKeyEvent& event);
    void focusOut(const XFocusChangeEvent& event);
    // The owner's connection is closing: the native window goes with it.
    void ownerClosing();

private:
    void redraw();
    int32_t textWidth(size_t characters);
    void replaceSelection(const std::string& replacement);
    void moveCaret(size_t position, bool extend);

    X11Window* owner;
    EditListener* listener;
    EditFieldSetup setup;
    ::Window window = 0;
    ::Window focusBefore = 0;
    std::unique_ptr<X11Surface> surface;
    Image pixels;
    std::string text;
    size_t anchor = 0;  // the selection runs from anchor to caret
    size_t caret = 0;
    int32_t scroll = 0;  // pixels of a long text hidden on the left
};

}  // namespace x11
}  // namespace gui_platform
