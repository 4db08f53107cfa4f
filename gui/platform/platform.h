// The platform interface of the GUI toolkit: drawing surfaces, the editor's window, live input,
// time, bitmaps by resource number and the native edit field. A binary links exactly one back
// end library (zelvik_gui_memory, zelvik_gui_x11, ...), which defines the factory functions
// declared at the bottom of this file.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/gui_types.h"
#include "gui/platform/image.h"

namespace gui_platform {

// How text is drawn: which face, and at which em height in pixels.
struct FontRequest {
    int32_t id = fontSystem;  // 0..7; 7 is the symbol face, the others the sans-serif face
    int32_t size = 12;        // character (em) height in pixels
    bool bold = true;
    bool italic = false;
    bool underline = false;
};

// One line of text in a box.
struct TextStyle {
    GuiColor color = colorWhite;
    bool opaque = false;             // paint the text cell behind the glyphs in background
    GuiColor background = colorBlack;
    int32_t align = alignLeft;       // 0 left, 1 centre, 2 right; others act as 0
};

// A drawing surface ("device"). Coordinates are window pixels. Devices hold the pen position
// only; colours, line style and font come with each call, so any number of draw contexts can
// share one device. Rectangles passed to fillRect and drawText cover columns left..right-1 and
// rows top..bottom-1 (the right and bottom edges are outside).
class Device {
public:
    virtual ~Device() = default;

    // Moves the pen without painting.
    virtual void moveTo(GuiPoint p) = 0;
    // A one-pixel line from the pen position to p; p itself is not painted and becomes the pen
    // position. Dotted lines paint every other pixel, starting with the first, on each line
    // (as GDI's LineTo with its alternate pen does).
    virtual void lineTo(GuiPoint p, GuiColor color, bool dotted) = 0;
    virtual GuiPoint penPosition() const = 0;

    virtual void fillRect(const GuiRect& r, GuiColor color) = 0;

    // One line of text (no prefix processing), centred vertically in box, aligned
    // horizontally, clipped to box.
    virtual void drawText(const char* text, const GuiRect& box, const FontRequest& font,
                          const TextStyle& style) = 0;
    // Width in pixels of text in font (advance widths summed).
    virtual int32_t textWidth(const char* text, const FontRequest& font) = 0;

    // Copies the width x height block at source of image to dest. Only the part of the block
    // that lies inside the image (and inside the surface) is copied.
    virtual void copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                           GuiPoint dest) = 0;
    // The same, leaving out the pixels the mask marks as keyed (the destination keeps them).
    virtual void copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source,
                                int32_t width, int32_t height, GuiPoint dest) = 0;
};

// What the window tells its owner (the frame). All calls come on the user-interface thread.
class WindowListener {
public:
    virtual ~WindowListener() = default;
    // Repaint area (right and bottom exclusive) on device.
    virtual void onPaint(Device& device, const GuiRect& area) = 0;
    // A mouse button went down at where (window pixels); which one is read from the live state.
    virtual void onButtonPress(Device& device, GuiPoint where) = 0;
    // Dropped data: type 1 = text (data is an array of one char*, count its size in bytes),
    // type 0 = file names (data is an array of count char*). where is in window pixels.
    virtual void onDrop(void* data, int32_t count, int32_t type, GuiPoint where) = 0;
    // The native window went away underneath its owner (the host closed it first).
    virtual void onWindowDestroyed() = 0;
};

// Notifications of a native edit field. The listener may destroy the field inside the call.
class EditListener {
public:
    virtual ~EditListener() = default;
    virtual void onEditFocusLost() = 0;
    virtual void onEditReturn() = 0;
};

struct EditFieldSetup {
    GuiRect box;                 // window pixels, right and bottom edges included
    const char* text = "";
    FontRequest font;
    GuiColor textColor = colorBlack;
    GuiColor backColor = colorWhite;
    int32_t align = alignLeft;
};

// A native single-line edit field over part of the window; destroying it removes it.
// The field starts with all of its text selected and the keyboard focus.
class EditField {
public:
    virtual ~EditField() = default;
    // Copies at most capacity - 1 characters and a terminating zero.
    virtual void getText(char* out, int32_t capacity) const = 0;
};

// The editor's child window inside the host's window. Destroying the object destroys the
// native window; its listener is not called from then on.
class Window {
public:
    virtual ~Window() = default;

    virtual void* nativeHandle() const = 0;
    // Screen position of the window's top-left corner, read now.
    virtual GuiPoint screenOrigin() const = 0;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    // Detaches (null) or replaces the owner.
    virtual void setListener(WindowListener* listener) = 0;
    // A device for drawing outside a paint (a press or an idle redraw); drawing shows when the
    // device is released.
    virtual std::unique_ptr<Device> openDevice() = 0;
    // Asks for a paint of area (right and bottom exclusive) at the next serveRepaints.
    virtual void invalidate(const GuiRect& area) = 0;
    // The outermost window a modal picture of the editor should belong to.
    virtual void* outerWindow() const = 0;
    virtual std::unique_ptr<EditField> createEditField(const EditFieldSetup& setup,
                                                       EditListener* listener) = 0;
    // Delivers the window's pending system events (paints, presses, keys of its edit field,
    // its destruction) to the listener. Systems that call the window on their own (Windows
    // dispatches messages, the memory back end is driven by tests) leave it empty; on X11 it
    // is the only way events reach the editor, so the frame calls it at every idle.
    virtual void serveEvents() {}
};

// ---- Factory functions and live services, defined by the linked back end ----

// A visible child window of the host window parent (HWND or X11 Window id), or null when
// parent is null or the window cannot be made.
std::unique_ptr<Window> createWindow(void* parent, int32_t width, int32_t height,
                                     WindowListener* listener);

// Live state at the moment of the call: mouse buttons and Shift/Control/Alt, as the bits
// buttonLeft ... modifierAlt; and the pointer in screen pixels.
int32_t mouseButtons();
GuiPoint mouseScreenPosition();

// Milliseconds, wrapping at 2^32; and a short blocking sleep.
uint32_t tickCount();
void sleepMilliseconds(uint32_t ms);
// The longest gap between two clicks of a double click, in milliseconds.
int32_t doubleClickTime();

// Serves pending repaint requests of this thread's windows: at most one batch per call.
void serveRepaints();

// The skin bitmap with this resource number (its low 16 bits), or null when there is none.
std::unique_ptr<Image> loadBitmap(int32_t resourceId);

// Shows the bitmap resourceId as a modal picture over owner (may be null) until dismissed.
// 0 once it was shown, else the system's error code (the picture could not be shown).
uint32_t showModalPicture(int32_t resourceId, Window* owner);
// A modal message with an OK button over owner (may be null), for errors the user must see.
void showMessage(Window* owner, const char* text, const char* caption);

}  // namespace gui_platform
