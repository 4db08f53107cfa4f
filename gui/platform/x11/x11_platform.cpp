// The X11 back end's factory functions and live services.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <time.h>

#include "gui/platform/platform.h"
#include "gui/platform/raster/raster_device.h"
#include "gui/platform/x11/x11_modal_window.h"
#include "gui/platform/x11/x11_window.h"
#include "gui/platform/embedded_bitmaps.h"

namespace gui_platform {

using x11::X11Window;

namespace {
// X has no system-wide setting; this is the common desktop default.
constexpr int32_t kDoubleClickMs = 400;

// The live pointer, read on the connection of the window that takes input now.
bool queryPointer(int& rootX, int& rootY, unsigned& mask) {
    X11Window* window = X11Window::inputWindow();
    if (!window) return false;
    Display* display = window->connection().display();
    ::Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    return XQueryPointer(display, window->connection().root(), &root, &child, &rootX, &rootY, &windowX,
                         &windowY, &mask) == True;
}

X11Window* asX11(Window* window) { return dynamic_cast<X11Window*>(window); }
}  // namespace

std::unique_ptr<Window> createWindow(void* parent, int32_t width, int32_t height,
                                     WindowListener* listener) {
    return X11Window::create(parent, width, height, listener);
}

// Live, except for the first question about a press (see X11Window::takePressButtons).
int32_t mouseButtons() {
    X11Window* window = X11Window::inputWindow();
    const int32_t pressed = window ? window->takePressButtons() : -1;
    if (pressed >= 0) return pressed;
    int x = 0, y = 0;
    unsigned mask = 0;
    if (!queryPointer(x, y, mask)) return 0;
    return X11Window::buttonsFromState(mask);
}

GuiPoint mouseScreenPosition() {
    int x = 0, y = 0;
    unsigned mask = 0;
    if (!queryPointer(x, y, mask)) return GuiPoint{0, 0};
    return GuiPoint{x, y};
}

uint32_t tickCount() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

void sleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int32_t doubleClickTime() { return kDoubleClickMs; }

// Every editor window of the process: a tracking loop in one editor keeps the others painted.
void serveRepaints() {
    for (X11Window* window : X11Window::windows()) {
        // A repaint may close windows; only those still listed are served.
        const std::vector<X11Window*> now = X11Window::windows();
        if (std::find(now.begin(), now.end(), window) != now.end()) window->serveRepaintBatch();
    }
}

std::unique_ptr<Image> loadBitmap(int32_t resourceId) {
    std::unique_ptr<Image> image(new Image());
    if (!loadEmbeddedBitmap(resourceId, *image)) return nullptr;
    return image;
}

uint32_t showModalPicture(int32_t resourceId, Window* owner) {
    const std::unique_ptr<Image> picture = loadBitmap(resourceId);
    if (!picture) return 1;
    X11Window* x11Owner = asX11(owner);
    x11::ModalWindowSetup setup;
    setup.picture = picture.get();
    setup.title = "Help";
    // Over the editor, which the picture shows annotated.
    if (x11Owner) setup.origin = x11Owner->screenOrigin();
    return x11::runModalWindow(x11Owner, setup);
}

// A grey box with the text and an OK button, drawn by the rasteriser like everything else.
void showMessage(Window* owner, const char* text, const char* caption) {
    const char* message = text ? text : "";
    const FontRequest font{fontNormal, 12, false, false, false};
    Image scratch(1, 1);
    const int32_t textWidth = raster::RasterDevice(scratch).textWidth(message, font);
    const int32_t width = std::max<int32_t>(200, textWidth + 40);
    const int32_t height = 96;
    const GuiColor face{212, 208, 200, 0};
    const GuiColor shadow{128, 128, 128, 0};
    Image picture(width, height, face);
    raster::RasterDevice device(picture);
    TextStyle style;
    style.color = colorBlack;
    style.align = alignCenter;
    device.drawText(message, GuiRect{10, 12, width - 10, 48}, font, style);
    const GuiRect button{(width - 76) / 2, height - 36, (width - 76) / 2 + 76, height - 12};
    device.fillRect(button, colorWhite);
    device.fillRect(GuiRect{button.left + 1, button.top + 1, button.right, button.bottom}, shadow);
    device.fillRect(GuiRect{button.left + 1, button.top + 1, button.right - 1, button.bottom - 1}, face);
    device.drawText("OK", button, font, style);

    X11Window* x11Owner = asX11(owner);
    x11::ModalWindowSetup setup;
    setup.picture = &picture;
    setup.title = caption ? caption : "";
    setup.closeArea = button;
    setup.anyKeyCloses = false;
    if (x11Owner) {
        const GuiPoint origin = x11Owner->screenOrigin();
        setup.origin = GuiPoint{origin.h + (x11Owner->width() - width) / 2,
                                origin.v + (x11Owner->height() - height) / 2};
    }
    x11::runModalWindow(x11Owner, setup);
}

}  // namespace gui_platform
