// EditorHostWindow on X11: a top-level window, input through XTest, capture with XGetImage.
#include "host/editor_host_window.h"

#include "host/host_error.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

constexpr int kIdlePeriodMs = 20;  // what hosts' editor timers commonly use
constexpr int kMapWaitMs = 2000;

// The host's script runs beside its event loop on a second thread (see the header), so Xlib
// must lock its connections. This has to happen before any other Xlib call of the process,
// hence at start-up; the plug-in's editor never calls it itself.
const bool xlibThreadsReady = XInitThreads() != 0;

// Protocol errors that reach the host: anything the plug-in's own connections do not catch.
std::atomic<int> hostErrors{0};
Display* inputConnection = nullptr;

int countHostError(Display* display, XErrorEvent* error) {
    // The input connection asks about windows that may vanish meanwhile (another client's
    // dialogs): no fault of anyone's.
    if (display == inputConnection) return 0;
    ++hostErrors;
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "zelvik-render: X error reached the host: %s (request %d)\n", text,
                 error->request_code);
    return 0;
}

using Clock = std::chrono::steady_clock;

int millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

class X11EditorHostWindow : public EditorHostWindow {
public:
    X11EditorHostWindow(int width, int height, const std::string& title);
    ~X11EditorHostWindow() override;

    void* parentHandle() override { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
    void run(int milliseconds, const std::function<void()>& idle) override;
    bool isOpen() const override { return open; }
    void movePointer(int x, int y) override;
    void pressButton(int button) override { fakeButton(button, true); }
    void releaseButton(int button) override { fakeButton(button, false); }
    void pressKey(const std::string& name) override { fakeKey(name, true); }
    void releaseKey(const std::string& name) override { fakeKey(name, false); }
    std::vector<uint32_t> capture(int& width, int& height) override;
    void destroy() override;
    int otherWindowCount() override;

private:
    void serveEvents();
    void fakeButton(int button, bool down);
    void fakeKey(const std::string& name, bool down);
    KeyCode keyCodeFor(const std::string& name, bool& needsShift);

    Display* display = nullptr;  // the host's loop
    Display* input = nullptr;    // the script's input and capture
    std::mutex inputLock;
    ::Window window = 0;
    Atom deleteWindow = 0;
    std::atomic<bool> open{false};
    int width;
    int height;
    XErrorHandler previousHandler = nullptr;
};

X11EditorHostWindow::X11EditorHostWindow(int width, int height, const std::string& title)
    : width(width), height(height) {
    (void)xlibThreadsReady;
    display = XOpenDisplay(nullptr);
    input = display ? XOpenDisplay(nullptr) : nullptr;
    if (!display || !input) {
        if (display) XCloseDisplay(display);
        throw HostError("cannot open the X display (is DISPLAY set and the server running?)");
    }
    inputConnection = input;
    previousHandler = XSetErrorHandler(&countHostError);
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height), 0,
                                 BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    XStoreName(display, window, title.c_str());
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSizeHints hints = {};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, window, &hints);
    XMapRaised(display, window);
    open = true;
    // Editors are opened into a window that is on screen, as hosts do.
    const Clock::time_point start = Clock::now();
    XEvent event;
    while (millisecondsBetween(start, Clock::now()) < kMapWaitMs) {
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event)) break;
        pollfd wait = {ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, 10);
    }
}

X11EditorHostWindow::~X11EditorHostWindow() {
    if (open) destroy();
    XSync(display, False);
    XCloseDisplay(input);
    inputConnection = nullptr;
    XCloseDisplay(display);
    XSetErrorHandler(previousHandler);
}

void X11EditorHostWindow::serveEvents() {
    while (open && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            destroy();
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
            open = false;
        }
    }
}

void X11EditorHostWindow::run(int milliseconds, const std::function<void()>& idle) {
    const Clock::time_point start = Clock::now();
    Clock::time_point nextIdle = start;
    while (open) {
        serveEvents();
        if (!open) break;
        Clock::time_point now = Clock::now();
        if (now >= nextIdle) {
            if (idle) idle();
            now = Clock::now();
            nextIdle += std::chrono::milliseconds(kIdlePeriodMs);
            if (nextIdle < now) nextIdle = now + std::chrono::milliseconds(kIdlePeriodMs);
        }
        int wait = millisecondsBetween(now, nextIdle);
        if (milliseconds >= 0) {
            const int left = milliseconds - millisecondsBetween(start, now);
            if (left <= 0) break;
            wait = std::min(wait, left);
        }
        XFlush(display);
        pollfd ready = {ConnectionNumber(display), POLLIN, 0};
        poll(&ready, 1, std::max(wait, 1));
    }
}

void X11EditorHostWindow::destroy() {
    if (!open) return;
    open = false;
    XDestroyWindow(display, window);
    XSync(display, False);
}

void X11EditorHostWindow::movePointer(int x, int y) {
    std::lock_guard<std::mutex> hold(inputLock);
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(input, window, DefaultRootWindow(input), x, y, &rootX, &rootY, &child)) return;
    XTestFakeMotionEvent(input, DefaultScreen(input), rootX, rootY, CurrentTime);
    XSync(input, False);
}

void X11EditorHostWindow::fakeButton(int button, bool down) {
    std::lock_guard<std::mutex> hold(inputLock);
    XTestFakeButtonEvent(input, unsigned(button), down ? True : False, CurrentTime);
    XSync(input, False);
}

// Characters that need Shift on the server's keyboard map get it pressed around them.
KeyCode X11EditorHostWindow::keyCodeFor(const std::string& name, bool& needsShift) {
    const KeySym symbol = name.size() == 1 ? static_cast<KeySym>(static_cast<unsigned char>(name[0]))
                                           : XStringToKeysym(name.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(input, symbol);
    if (!code) throw HostError("the X server's keyboard has no key '" + name + "'");
    int perCode = 0;
    KeySym* symbols = XGetKeyboardMapping(input, code, 1, &perCode);
    needsShift = symbols && perCode > 1 && symbols[0] != symbol && symbols[1] == symbol;
    if (symbols) XFree(symbols);
    return code;
}

void X11EditorHostWindow::fakeKey(const std::string& name, bool down) {
    std::lock_guard<std::mutex> hold(inputLock);
    bool needsShift = false;
    const KeyCode code = keyCodeFor(name, needsShift);
    const KeyCode shift = XKeysymToKeycode(input, XStringToKeysym("Shift_L"));
    if (needsShift && down) XTestFakeKeyEvent(input, shift, True, CurrentTime);
    XTestFakeKeyEvent(input, code, down ? True : False, CurrentTime);
    if (needsShift && !down) XTestFakeKeyEvent(input, shift, False, CurrentTime);
    XSync(input, False);
}

std::vector<uint32_t> X11EditorHostWindow::capture(int& outWidth, int& outHeight) {
    std::lock_guard<std::mutex> hold(inputLock);
    outWidth = 0;
    outHeight = 0;
    XWindowAttributes attributes;
    if (!open || !XGetWindowAttributes(input, window, &attributes)) throw HostError("the window is gone");
    // Read from the screen, not the window, so that what covers the window (a plug-in's
    // dialog) is in the picture as the user sees it.
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(input, window, attributes.root, 0, 0, &rootX, &rootY, &child);
    XImage* image = XGetImage(input, attributes.root, rootX, rootY, unsigned(width), unsigned(height), AllPlanes,
                              ZPixmap);
    if (!image) throw HostError("cannot read the window's pixels");
    const unsigned long masks[3] = {attributes.visual->red_mask, attributes.visual->green_mask,
                                    attributes.visual->blue_mask};
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint32_t rgb = 0;
            for (unsigned long mask : masks) {
                int shift = 0;
                while (mask && !((mask >> shift) & 1)) ++shift;
                const unsigned long top = mask >> shift;
                const unsigned long value = top ? ((pixel & mask) >> shift) * 255 / top : 0;
                rgb = (rgb << 8) | uint32_t(value);
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = rgb;
        }
    }
    XDestroyImage(image);
    outWidth = width;
    outHeight = height;
    return pixels;
}

int X11EditorHostWindow::otherWindowCount() {
    std::lock_guard<std::mutex> hold(inputLock);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(input, DefaultRootWindow(input), &root, &parent, &children, &count)) return -1;
    int shown = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (children[i] != window && XGetWindowAttributes(input, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.c_class == InputOutput)
            ++shown;
    }
    if (children) XFree(children);
    return shown;
}

}  // namespace

std::unique_ptr<EditorHostWindow> EditorHostWindow::open(int width, int height, const std::string& title) {
    return std::unique_ptr<EditorHostWindow>(new X11EditorHostWindow(width, height, title));
}
