// X11Window: the editor's child window in the host's X11 window, on a connection of its own.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "gui/platform/platform.h"
#include "gui/platform/x11/x11_connection.h"
#include "gui/platform/x11/x11_surface.h"

namespace gui_platform {
namespace x11 {

class X11EditField;

// The window keeps its pixels in an Image drawn by the shared rasteriser and copies the parts
// that changed to the screen, so the memory and X11 back ends show the same pixels. Events
// are read only when the toolkit asks (serveEvents at the host's idle, serveRepaintBatch from
// a mouse-tracking loop): a plug-in has no thread or timer of its own. Everything runs on the
// host's user-interface thread.
class X11Window : public Window {
public:
    // Null when there is no X server, the parent is not a window, or the size is empty.
    static std::unique_ptr<X11Window> create(void* parent, int32_t width, int32_t height,
                                             WindowListener* listener);
    ~X11Window() override;

    void* nativeHandle() const override;
    GuiPoint screenOrigin() const override;
    int32_t width() const override { return pixels->width; }
    int32_t height() const override { return pixels->height; }
    void setListener(WindowListener* newListener) override { listener = newListener; }
    std::unique_ptr<Device> openDevice() override;
    void invalidate(const GuiRect& area) override;
    void* outerWindow() const override;
    std::unique_ptr<EditField> createEditField(const EditFieldSetup& setup,
                                               EditListener* editListener) override;
    // Every pending event; a press waits in the queue while one is being handled (a control
    // tracking the mouse), so presses never nest.
    void serveEvents() override;

    // ---- inside the back end ----
    X11Connection& connection() { return *conn; }
    ::Window id() const { return window; }
    bool isAlive() const { return alive; }
    // Pending exposures, invalidations and drawing, but no press: for tracking loops.
    void serveRepaintBatch();
    // An event a modal window's loop read from this connection: served, except presses,
    // which the modal window swallows.
    void handleModalEvent(XEvent& event);
    // Devices report what they drew; it reaches the screen at the next flush.
    void markDrawn(const GuiRect& area);
    void flushDrawn();
    void forgetEditField(X11EditField* field);

    // The button and modifier bits of the press being handled, the first time they are asked
    // for (-1 afterwards, or with no press): the press's own state, not the live one, so a
    // click that was over before the host's idle let us see it still counts as a press.
    int32_t takePressButtons();
    // Button and modifier masks of X as the toolkit's bits.
    static int32_t buttonsFromState(unsigned state);

    // The window whose press is being handled, else the newest one; null without windows.
    // The live pointer state is read on its connection.
    static X11Window* inputWindow();
    // The windows alive on this thread, oldest first.
    static std::vector<X11Window*> windows();

private:
    X11Window(std::unique_ptr<X11Connection> connection, ::Window window, ::Window outer,
              int32_t width, int32_t height, WindowListener* listener);
    bool checkConnection();
    void handle(XEvent& event, bool pressesAllowed);
    void dispatchPress(const XButtonEvent& press);
    void paintPending();
    X11EditField* fieldFor(::Window id) const;

    std::unique_ptr<X11Connection> conn;  // declared first: destroyed last
    std::unique_ptr<X11Surface> surface;
    ::Window window;
    ::Window outer;
    WindowListener* listener;
    std::shared_ptr<Image> pixels;  // shared with open devices
    bool alive = true;
    bool repaintPending = false;
    GuiRect repaintArea;
    bool drawnPending = false;
    GuiRect drawnArea;
    int pressDepth = 0;
    int32_t pressButtons = -1;
    std::vector<X11EditField*> editFields;
    // Cleared when the object is destroyed: code that called out (a listener may close the
    // editor) checks it before touching the object again.
    std::shared_ptr<bool> lifetime;
};

}  // namespace x11
}  // namespace gui_platform
