// X11EditField: keys, selection and drawing of the edit field.
#include "gui/platform/x11/x11_edit_field.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gui/platform/raster/raster_device.h"
#include "gui/platform/x11/x11_window.h"

namespace gui_platform {
namespace x11 {

using raster::RasterDevice;

namespace {
// The text field reads back at most 254 characters; more would be cut silently.
constexpr size_t kMaximumLength = 254;
}  // namespace

X11EditField::X11EditField(X11Window& owner, const EditFieldSetup& setup, EditListener* listener)
    : owner(&owner), listener(listener), setup(setup), text(setup.text ? setup.text : "") {
    this->setup.text = nullptr;  // the caller's text need not outlive the call
    if (text.size() > kMaximumLength) text.resize(kMaximumLength);
    anchor = 0;
    caret = text.size();

    // The box includes its right and bottom edges.
    const int width = setup.box.right - setup.box.left + 1;
    const int height = setup.box.bottom - setup.box.top + 1;
    if (width <= 0 || height <= 0) return;
    X11Connection& connection = owner.connection();
    Display* display = connection.display();
    XWindowAttributes ownerAttributes;
    if (!XGetWindowAttributes(display, owner.id(), &ownerAttributes)) return;

    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | FocusChangeMask;
    window = XCreateWindow(display, owner.id(), setup.box.left, setup.box.top, unsigned(width),
                           unsigned(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
    surface.reset(new X11Surface(display, ownerAttributes.visual, ownerAttributes.depth, width, height));
    pixels.resize(width, height, setup.backColor);
    int revert = 0;
    XGetInputFocus(display, &focusBefore, &revert);
    XMapRaised(display, window);
    if (!connection.syncWithoutError() || !surface->valid()) {
        XDestroyWindow(display, window);
        connection.syncWithoutError();
        window = 0;
        return;
    }
    // Mapping a child of a visible window makes it viewable at once, so the focus can follow.
    // In a host window that is not shown the focus request fails: the field still edits once
    // the user clicks into it, so that failure is only cleared away.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    redraw();
    connection.syncWithoutError();
}

X11EditField::~X11EditField() {
    if (!owner) return;
    owner->forgetEditField(this);
    if (!window) return;
    Display* display = owner->connection().display();
    // Give the keyboard back to whoever had it, if it is still ours to give.
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == window && focusBefore > PointerRoot) XSetInputFocus(display, focusBefore, RevertToParent, CurrentTime);
    surface.reset();
    XDestroyWindow(display, window);
    owner->connection().syncWithoutError();  // a focus window gone meanwhile is no error of the host's
}

void X11EditField::ownerClosing() {
    surface.reset();
    owner = nullptr;
    window = 0;
}

void X11EditField::getText(char* out, int32_t capacity) const {
    if (!out || capacity <= 0) return;
    const size_t length = std::min(text.size(), size_t(capacity - 1));
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

void X11EditField::expose() { redraw(); }

void X11EditField::press(const XButtonEvent& event) {
    if (event.button != Button1) return;
    XSetInputFocus(owner->connection().display(), window, RevertToParent, CurrentTime);
    owner->connection().syncWithoutError();
    // The caret goes to the character boundary nearest the click.
    size_t best = 0;
    int32_t bestDistance = -1;
    int32_t start = 1 - scroll;
    const int32_t full = textWidth(text.size());
    if (full <= pixels.width - 2) {
        if (setup.align == alignCenter) start = (pixels.width - full) / 2;
        if (setup.align == alignRight) start = pixels.width - 1 - full;
    }
    for (size_t i = 0; i <= text.size(); ++i) {
        const int32_t distance = std::abs(start + textWidth(i) - event.x);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    moveCaret(best, (event.state & ShiftMask) != 0);
    redraw();
}

// Return and the loss of focus end the edit through the listener, which may delete this
// field: nothing is touched after those calls.
void X11EditField::key(XKeyEvent& event) {
    char typed[16] = {};
    KeySym symbol = NoSymbol;
    const int length = XLookupString(&event, typed, sizeof typed - 1, &symbol, nullptr);
    const bool shift = (event.state & ShiftMask) != 0;
    const bool control = (event.state & ControlMask) != 0;
    switch (symbol) {
        case XK_Return:
        case XK_KP_Enter:
            if (listener) listener->onEditReturn();
            return;
        case XK_Left:
        case XK_KP_Left:
            if (!shift && anchor != caret)
                moveCaret(std::min(anchor, caret), false);
            else
                moveCaret(caret > 0 ? caret - 1 : 0, shift);
            break;
        case XK_Right:
        case XK_KP_Right:
            if (!shift && anchor != caret)
                moveCaret(std::max(anchor, caret), false);
            else
                moveCaret(std::min(caret + 1, text.size()), shift);
            break;
        case XK_Home:
        case XK_KP_Home:
            moveCaret(0, shift);
            break;
        case XK_End:
        case XK_KP_End:
            moveCaret(text.size(), shift);
            break;
        case XK_BackSpace:
            if (anchor == caret && caret > 0) anchor = caret - 1;
            replaceSelection("");
            break;
        case XK_Delete:
        case XK_KP_Delete:
            if (anchor == caret && caret < text.size()) anchor = caret + 1;
            replaceSelection("");
            break;
        default:
            if (control && (symbol == XK_a || symbol == XK_A)) {
                anchor = 0;
                caret = text.size();
            } else if (!control && length == 1 && static_cast<unsigned char>(typed[0]) >= 0x20 &&
                       typed[0] != 0x7f) {
                replaceSelection(std::string(1, typed[0]));
            } else {
                return;
            }
            break;
    }
    redraw();
}

// Focus moves for keyboard grabs (a host's shortcut handling, a window manager's switcher)
// come back; only a real move elsewhere ends the edit.
void X11EditField::focusOut(const XFocusChangeEvent& event) {
    if (event.mode == NotifyGrab || event.mode == NotifyUngrab) return;
    if (event.detail == NotifyInferior || event.detail == NotifyPointer) return;
    if (listener) listener->onEditFocusLost();
}

void X11EditField::moveCaret(size_t position, bool extend) {
    caret = std::min(position, text.size());
    if (!extend) anchor = caret;
}

void X11EditField::replaceSelection(const std::string& replacement) {
    const size_t from = std::min(anchor, caret);
    const size_t to = std::max(anchor, caret);
    std::string edited = text.substr(0, from) + replacement + text.substr(to);
    if (edited.size() > kMaximumLength) return;  // full: the key is refused
    text = edited;
    caret = anchor = from + replacement.size();
}

int32_t X11EditField::textWidth(size_t characters) {
    RasterDevice measure(pixels);
    return measure.textWidth(text.substr(0, characters).c_str(), setup.font);
}

void X11EditField::redraw() {
    if (!window || !surface) return;
    const int32_t width = pixels.width;
    const int32_t height = pixels.height;
    pixels.resize(width, height, setup.backColor);
    RasterDevice device(pixels);

    // A text that fits is aligned as asked; a longer one scrolls to keep the caret in view.
    const int32_t full = textWidth(text.size());
    const int32_t caretOffset = textWidth(caret);
    int32_t start = 1;
    if (full <= width - 2) {
        scroll = 0;
        if (setup.align == alignCenter) start = (width - full) / 2;
        if (setup.align == alignRight) start = width - 1 - full;
    } else {
        if (caretOffset - scroll > width - 3) scroll = caretOffset - (width - 3);
        if (caretOffset - scroll < 0) scroll = caretOffset;
        start = 1 - scroll;
    }

    const GuiRect box{start, 0, start + full + 1, height};
    TextStyle style;
    style.color = setup.textColor;
    style.align = alignLeft;
    device.drawText(text.c_str(), box, setup.font, style);

    const size_t from = std::min(anchor, caret);
    const size_t to = std::max(anchor, caret);
    if (from != to) {
        // The selection is shown inverted: back colour on text colour.
        const GuiRect selected{start + textWidth(from), 1, start + textWidth(to), height - 1};
        device.fillRect(selected, setup.textColor);
        RasterDevice inside(pixels, selected);
        style.color = setup.backColor;
        inside.drawText(text.c_str(), box, setup.font, style);
    } else {
        const int32_t x = start + caretOffset;
        device.fillRect(GuiRect{x, 2, x + 1, height - 2}, setup.textColor);
    }
    surface->put(window, pixels, GuiRect{0, 0, width, height});
    XFlush(owner->connection().display());
}

}  // namespace x11
}  // namespace gui_platform
