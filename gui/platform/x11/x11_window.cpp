// X11Window: creation in the host's window, event serving, painting through the rasteriser.
#include "gui/platform/x11/x11_window.h"

#include <algorithm>
#include <cstdint>

#include "gui/platform/raster/raster_device.h"
#include "gui/platform/x11/x11_edit_field.h"

namespace gui_platform {
namespace x11 {

using raster::RasterDevice;

namespace {
std::vector<X11Window*> liveWindows;
X11Window* pressingWindow = nullptr;

GuiRect unite(const GuiRect& a, const GuiRect& b) {
    return GuiRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

Bool anyEvent(Display*, XEvent*, XPointer) { return True; }
Bool anyButPress(Display*, XEvent* event, XPointer) { return event->type != ButtonPress; }

bool hasProperty(Display* display, ::Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int result = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type,
                                          &format, &count, &after, &data);
    if (data) XFree(data);
    return result == Success && type != None;
}

// The host's top-level window, which modal windows of the editor belong to: the first
// ancestor the window manager looks after (it carries WM_STATE), or without a window
// manager the child of the root.
::Window topLevelOf(Display* display, ::Window start) {
    const Atom managed = XInternAtom(display, "WM_STATE", True);
    ::Window current = start;
    for (int depth = 0; depth < 64; ++depth) {
        if (managed != None && hasProperty(display, current, managed)) return current;
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count)) return current;
        if (children) XFree(children);
        if (!parent || parent == root) return current;
        current = parent;
    }
    return current;
}

// A drawing surface on the window's pixels that reports what it touched.
class X11Device : public Device {
public:
    X11Device(X11Window& window, std::shared_ptr<Image> pixels, std::shared_ptr<bool> lifetime)
        : window(window), pixels(std::move(pixels)), lifetime(std::move(lifetime)), raster(*this->pixels) {}
    ~X11Device() override {
        if (*lifetime) window.flushDrawn();
    }

    void moveTo(GuiPoint p) override { raster.moveTo(p); }
    void lineTo(GuiPoint p, GuiColor color, bool dotted) override {
        const GuiPoint from = raster.penPosition();
        raster.lineTo(p, color, dotted);
        mark(GuiRect{std::min(from.h, p.h), std::min(from.v, p.v), std::max(from.h, p.h) + 1,
                     std::max(from.v, p.v) + 1});
    }
    GuiPoint penPosition() const override { return raster.penPosition(); }
    void fillRect(const GuiRect& r, GuiColor color) override {
        raster.fillRect(r, color);
        mark(r);
    }
    void drawText(const char* text, const GuiRect& box, const FontRequest& font,
                  const TextStyle& style) override {
        raster.drawText(text, box, font, style);
        mark(box);
    }
    int32_t textWidth(const char* text, const FontRequest& font) override {
        return raster.textWidth(text, font);
    }
    void copyImage(const Image& image, GuiPoint source, int32_t width, int32_t height,
                   GuiPoint dest) override {
        raster.copyImage(image, source, width, height, dest);
        mark(GuiRect{dest.h, dest.v, dest.h + width, dest.v + height});
    }
    void copyImageKeyed(const Image& image, const Mask& mask, GuiPoint source, int32_t width,
                        int32_t height, GuiPoint dest) override {
        raster.copyImageKeyed(image, mask, source, width, height, dest);
        mark(GuiRect{dest.h, dest.v, dest.h + width, dest.v + height});
    }

private:
    void mark(const GuiRect& area) {
        if (*lifetime) window.markDrawn(area);
    }

    X11Window& window;
    std::shared_ptr<Image> pixels;
    std::shared_ptr<bool> lifetime;
    RasterDevice raster;
};
}  // namespace

std::unique_ptr<X11Window> X11Window::create(void* parent, int32_t width, int32_t height,
                                             WindowListener* listener) {
    if (!parent || width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (!connection) return nullptr;
    Display* display = connection->display();
    const ::Window parentId = static_cast<::Window>(reinterpret_cast<uintptr_t>(parent));

    // The child takes the parent's visual, so hosts with unusual visuals work too.
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(display, parentId, &parentAttributes) || !connection->syncWithoutError())
        return nullptr;
    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None;  // no flash of a background before the first paint
    attributes.border_pixel = 0;
    attributes.colormap = parentAttributes.colormap;
    attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
    const ::Window window = XCreateWindow(
        display, parentId, 0, 0, unsigned(width), unsigned(height), 0, parentAttributes.depth,
        InputOutput, parentAttributes.visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask,
        &attributes);
    XMapWindow(display, window);
    if (!connection->syncWithoutError()) return nullptr;  // the connection's close frees the window

    const ::Window outer = topLevelOf(display, parentId);
    std::unique_ptr<X11Window> made(
        new X11Window(std::move(connection), window, outer, width, height, listener));
    made->surface.reset(new X11Surface(display, parentAttributes.visual, parentAttributes.depth,
                                       width, height));
    if (!made->surface->valid()) return nullptr;
    return made;
}

X11Window::X11Window(std::unique_ptr<X11Connection> connection, ::Window window, ::Window outer,
                     int32_t width, int32_t height, WindowListener* listener)
    : conn(std::move(connection)), window(window), outer(outer), listener(listener),
      pixels(std::make_shared<Image>(width, height, colorBlack)), lifetime(std::make_shared<bool>(true)) {
    liveWindows.push_back(this);
}

X11Window::~X11Window() {
    *lifetime = false;
    liveWindows.erase(std::remove(liveWindows.begin(), liveWindows.end(), this), liveWindows.end());
    if (pressingWindow == this) pressingWindow = nullptr;
    // Edit fields still open lose their native window with ours.
    for (X11EditField* field : editFields) field->ownerClosing();
    editFields.clear();
    // A window the host already destroyed is not destroyed again; if the host destroyed it
    // without our knowing yet, the error lands in the connection's trap.
    if (alive) XDestroyWindow(conn->display(), window);
    surface.reset();
    conn.reset();
}

void* X11Window::nativeHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

void* X11Window::outerWindow() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(outer)); }

GuiPoint X11Window::screenOrigin() const {
    int x = 0, y = 0;
    ::Window child = 0;
    if (!alive || !XTranslateCoordinates(conn->display(), window, conn->root(), 0, 0, &x, &y, &child))
        return GuiPoint{0, 0};
    return GuiPoint{x, y};
}

std::unique_ptr<Device> X11Window::openDevice() {
    return std::unique_ptr<Device>(new X11Device(*this, pixels, lifetime));
}

void X11Window::invalidate(const GuiRect& area) {
    const GuiRect inside = raster::intersectRects(area, GuiRect{0, 0, pixels->width, pixels->height});
    if (inside.right <= inside.left || inside.bottom <= inside.top) return;
    repaintArea = repaintPending ? unite(repaintArea, inside) : inside;
    repaintPending = true;
}

std::unique_ptr<EditField> X11Window::createEditField(const EditFieldSetup& setup,
                                                      EditListener* editListener) {
    if (!alive) return nullptr;
    std::unique_ptr<X11EditField> field(new X11EditField(*this, setup, editListener));
    if (!field->isValid()) return nullptr;
    editFields.push_back(field.get());
    return std::unique_ptr<EditField>(field.release());
}

void X11Window::forgetEditField(X11EditField* field) {
    editFields.erase(std::remove(editFields.begin(), editFields.end(), field), editFields.end());
}

X11EditField* X11Window::fieldFor(::Window id) const {
    for (X11EditField* field : editFields)
        if (field->id() == id) return field;
    return nullptr;
}

// A connection whose server went away counts as a window the host destroyed.
bool X11Window::checkConnection() {
    if (!conn->isBroken()) return true;
    if (alive) {
        alive = false;
        repaintPending = false;
        drawnPending = false;
        if (listener) listener->onWindowDestroyed();
    }
    return false;
}

void X11Window::serveEvents() {
    if (!checkConnection()) return;
    const std::shared_ptr<bool> life = lifetime;
    Display* display = conn->display();
    XPending(display);  // reads what the server has sent
    XEvent event;
    while (*life && XCheckIfEvent(display, &event, pressDepth ? &anyButPress : &anyEvent, nullptr))
        handle(event, pressDepth == 0);
    if (!*life) return;
    paintPending();
    if (*life) flushDrawn();
}

void X11Window::serveRepaintBatch() {
    if (!checkConnection()) return;
    const std::shared_ptr<bool> life = lifetime;
    Display* display = conn->display();
    XPending(display);
    XEvent event;
    while (*life && XCheckIfEvent(display, &event, &anyButPress, nullptr)) handle(event, false);
    if (!*life) return;
    paintPending();
    if (*life) flushDrawn();
}

void X11Window::handleModalEvent(XEvent& event) {
    const std::shared_ptr<bool> life = lifetime;
    handle(event, false);
    if (*life) paintPending();
    if (*life) flushDrawn();
}

// Listeners may close the editor (and so destroy this object) inside any call; nothing of
// the object is touched after a call that returns with the lifetime flag cleared.
void X11Window::handle(XEvent& event, bool pressesAllowed) {
    const ::Window target = event.xany.window;
    X11EditField* field = target == window ? nullptr : fieldFor(target);
    switch (event.type) {
        case Expose:
            if (target == window) {
                invalidate(GuiRect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                   event.xexpose.y + event.xexpose.height});
            } else if (field) {
                field->expose();
            }
            break;
        case ButtonPress:
            if (field) {
                field->press(event.xbutton);
            } else if (target == window && pressesAllowed) {
                dispatchPress(event.xbutton);
            }
            break;
        case KeyPress:
            if (field) field->key(event.xkey);
            break;
        case FocusOut:
            if (field) field->focusOut(event.xfocus);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window && alive) {
                alive = false;
                repaintPending = false;
                drawnPending = false;
                if (listener) listener->onWindowDestroyed();
            }
            break;
        default:
            break;
    }
}

// Buttons 4 to 7 are wheel steps, which the editor does not take.
void X11Window::dispatchPress(const XButtonEvent& press) {
    if (press.button < Button1 || press.button > Button3 || !listener || !alive) return;
    const std::shared_ptr<bool> life = lifetime;
    X11Window* outerPress = pressingWindow;
    pressingWindow = this;
    ++pressDepth;
    const unsigned buttonMasks[] = {Button1Mask, Button2Mask, Button3Mask};
    pressButtons = buttonsFromState(press.state | buttonMasks[press.button - Button1]);
    {
        X11Device device(*this, pixels, lifetime);
        listener->onButtonPress(device, GuiPoint{press.x, press.y});
    }
    if (pressingWindow == this) pressingWindow = outerPress;
    if (!*life) return;
    --pressDepth;
    pressButtons = -1;
}

int32_t X11Window::takePressButtons() {
    const int32_t buttons = pressButtons;
    pressButtons = -1;
    return buttons;
}

int32_t X11Window::buttonsFromState(unsigned state) {
    int32_t buttons = 0;
    if (state & Button1Mask) buttons |= buttonLeft;
    if (state & Button2Mask) buttons |= buttonMiddle;
    if (state & Button3Mask) buttons |= buttonRight;
    if (state & ShiftMask) buttons |= modifierShift;
    if (state & ControlMask) buttons |= modifierControl;
    if (state & Mod1Mask) buttons |= modifierAlt;
    return buttons;
}

void X11Window::paintPending() {
    if (!repaintPending) return;
    repaintPending = false;
    if (!alive || !listener) return;
    const GuiRect area = repaintArea;
    const std::shared_ptr<bool> life = lifetime;
    {
        RasterDevice device(*pixels, area);
        listener->onPaint(device, device.clipRect());
    }
    if (*life) markDrawn(area);
}

void X11Window::markDrawn(const GuiRect& area) {
    const GuiRect inside = raster::intersectRects(area, GuiRect{0, 0, pixels->width, pixels->height});
    if (inside.right <= inside.left || inside.bottom <= inside.top) return;
    drawnArea = drawnPending ? unite(drawnArea, inside) : inside;
    drawnPending = true;
}

void X11Window::flushDrawn() {
    if (!drawnPending) return;
    drawnPending = false;
    if (!alive) return;
    surface->put(window, *pixels, drawnArea);
    XFlush(conn->display());
}

X11Window* X11Window::inputWindow() {
    if (pressingWindow) return pressingWindow;
    return liveWindows.empty() ? nullptr : liveWindows.back();
}

std::vector<X11Window*> X11Window::windows() { return liveWindows; }

}  // namespace x11
}  // namespace gui_platform
